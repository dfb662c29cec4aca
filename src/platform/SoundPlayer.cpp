#include "platform/SoundPlayer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace lumarik::platform {
namespace {

SoundPlayer* installedPlayer = nullptr;

} // namespace

SoundPlayer& currentSoundPlayer() {
    // Made on the first sound, so that a program that plays none never opens the
    // audio device.
    static const std::unique_ptr<SoundPlayer> platformPlayer = makePlatformSoundPlayer();
    return installedPlayer != nullptr ? *installedPlayer : *platformPlayer;
}

ScopedSoundPlayer::ScopedSoundPlayer(SoundPlayer& player) : previous_(installedPlayer) {
    installedPlayer = &player;
}

ScopedSoundPlayer::~ScopedSoundPlayer() {
    installedPlayer = previous_;
}

void playSoundFile(const QString& path) {
    if (QFileInfo(path).isFile()) {
        currentSoundPlayer().play(path);
    }
}

QString defaultSoundFolder() {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("sound"));
}

} // namespace lumarik::platform
