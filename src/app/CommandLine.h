#pragma once

#include <QString>
#include <QStringList>

namespace lumarik::app {

// What the program takes from its command line. Only the first argument that is not
// one of the two options below names a file; later ones are ignored. Nothing on the
// command line stops the program: an unknown option is taken for a file name, which
// is then ignored when no such file exists.
//
//   --settings PATH, --settings=PATH     the settings file to use
//   --screenshot PNG, --screenshot=PNG   save a picture of the drawn window, then close
//   --                                   what follows is a file name, even "-memo.txt"
struct CommandLine {
    QString settingsPath;   // empty: the default settings file
    QString screenshotPath; // empty: no screenshot
    QString file;           // empty: none
};

// Reads the arguments that follow the program's name.
CommandLine parseCommandLine(const QStringList& arguments);

} // namespace lumarik::app
