#include "app/CommandLine.h"

#include <QStringView>

namespace lumarik::app {

namespace {

// Takes "--name VALUE" or "--name=VALUE" at arguments[i]; advances i past what it used.
// A "--name" without a value is used up and sets nothing.
bool takeOption(const QStringList& arguments, qsizetype& i, QStringView name, QString& value) {
    const QString& argument = arguments[i];
    if (argument == name) {
        if (i + 1 < arguments.size()) {
            value = arguments[++i];
        }
        return true;
    }
    if (argument.startsWith(name) && argument.at(name.size()) == u'=') {
        value = argument.mid(name.size() + 1);
        return true;
    }
    return false;
}

} // namespace

CommandLine parseCommandLine(const QStringList& arguments) {
    CommandLine result;
    bool fileFound = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == u"--") {
            if (!fileFound && i + 1 < arguments.size()) {
                result.file = arguments[i + 1];
            }
            break;
        }
        if (takeOption(arguments, i, u"--settings", result.settingsPath) ||
            takeOption(arguments, i, u"--screenshot", result.screenshotPath)) {
            continue;
        }
        if (!fileFound) {
            result.file = argument;
            fileFound = true;
        }
    }
    return result;
}

} // namespace lumarik::app
