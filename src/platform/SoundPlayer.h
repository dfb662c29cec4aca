#pragma once

#include <QString>

#include <memory>
#include <vector>

namespace lumarik::platform {

// Plays short sound files while the program goes on; a new sound cuts off the one
// still playing. Sounds are a nicety: nothing here ever reports a failure.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    // Starts the file, which exists at this moment.
    virtual void play(const QString& path) = 0;
};

// Plays nothing: keeps the path of every file it was asked to play.
class RecordingSoundPlayer final : public SoundPlayer {
public:
    void play(const QString& path) override { played.push_back(path); }

    std::vector<QString> played;
};

// The platform's player: PCM WAV files through the audio device when the program was
// built with sound, otherwise one that stays silent. Without an audio device it stays
// silent too.
std::unique_ptr<SoundPlayer> makePlatformSoundPlayer();

// The player sounds go to: the platform's unless one was set.
SoundPlayer& currentSoundPlayer();

// Puts a player in place for a scope and restores the previous one afterwards.
class ScopedSoundPlayer {
public:
    explicit ScopedSoundPlayer(SoundPlayer& player);
    ~ScopedSoundPlayer();
    ScopedSoundPlayer(const ScopedSoundPlayer&) = delete;
    ScopedSoundPlayer& operator=(const ScopedSoundPlayer&) = delete;

private:
    SoundPlayer* previous_;
};

// Plays the file when it exists at this moment; otherwise does nothing.
void playSoundFile(const QString& path);

// The folder "sound" beside the program, where its optional sound files lie.
QString defaultSoundFolder();

} // namespace lumarik::platform
