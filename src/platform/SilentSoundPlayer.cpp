// The player of a build without sound.
#include "platform/SoundPlayer.h"

#include <QString>

namespace lumarik::platform {
namespace {

class SilentSoundPlayer final : public SoundPlayer {
public:
    void play(const QString& /*path*/) override {}
};

} // namespace

std::unique_ptr<SoundPlayer> makePlatformSoundPlayer() {
    return std::make_unique<SilentSoundPlayer>();
}

} // namespace lumarik::platform
