// The player of a build with sound: one sound effect, reloaded for each new file.
#include "platform/SoundPlayer.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

namespace lumarik::platform {
namespace {

class SoundEffectPlayer final : public SoundPlayer {
public:
    SoundEffectPlayer() {
        // A file still loading when it was asked for starts once it is ready; one that
        // cannot be read, or a machine without an audio device, ends the request.
        QObject::connect(&effect_, &QSoundEffect::statusChanged, &effect_, [this]() {
            if (effect_.status() == QSoundEffect::Ready && pending_) {
                pending_ = false;
                effect_.play();
            } else if (effect_.status() == QSoundEffect::Error) {
                pending_ = false;
            }
        });
    }

    void play(const QString& path) override {
        // Without an audio device there is nothing to load the file for.
        if (QMediaDevices::defaultAudioOutput().isNull()) {
            return;
        }
        effect_.stop();
        const QUrl source = QUrl::fromLocalFile(path);
        if (effect_.source() != source) {
            effect_.setSource(source);
        }
        if (effect_.status() == QSoundEffect::Ready) {
            pending_ = false;
            effect_.play();
        } else {
            pending_ = effect_.status() != QSoundEffect::Error;
        }
    }

private:
    QSoundEffect effect_;
    bool pending_ = false;
};

} // namespace

std::unique_ptr<SoundPlayer> makePlatformSoundPlayer() {
    return std::make_unique<SoundEffectPlayer>();
}

} // namespace lumarik::platform
