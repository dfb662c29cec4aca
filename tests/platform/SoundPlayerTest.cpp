#include <gtest/gtest.h>

#include "platform/MessageReporter.h"
#include "platform/SoundPlayer.h"
#include "support/TempDir.h"

#include <QTest>

using namespace lumarik::platform;
using lumarik::test::TempDir;

namespace {

QString qpath(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

// A short PCM WAV file: 16-bit mono silence.
std::string silentWave() {
    const auto le32 = [](uint32_t v) {
        return std::string{static_cast<char>(v), static_cast<char>(v >> 8),
                           static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
    };
    const uint32_t samples = 800;
    const std::string format = std::string("fmt ") + le32(16) + std::string("\x01\x00\x01\x00", 4) +
                               le32(8000) + le32(16000) + std::string("\x02\x00\x10\x00", 4);
    const std::string data =
        std::string("data") + le32(samples * 2) + std::string(samples * 2, '\0');
    return std::string("RIFF") + le32(static_cast<uint32_t>(4 + format.size() + data.size())) +
           "WAVE" + format + data;
}

} // namespace

TEST(SoundPlayer, PlaysOnlyFilesThatExistAtThatMoment) {
    TempDir dir;
    RecordingSoundPlayer player;
    {
        ScopedSoundPlayer scoped(player);
        playSoundFile(qpath(dir.file("missing.wav")));
        playSoundFile(qpath(dir.path()));
        playSoundFile(QString());
        EXPECT_TRUE(player.played.empty());

        lumarik::test::writeBytes(dir.file("max.wav"), "RIFF");
        playSoundFile(qpath(dir.file("max.wav")));
        playSoundFile(qpath(dir.file("max.wav")));
        EXPECT_EQ(player.played, std::vector<QString>(2, qpath(dir.file("max.wav"))));
    }
    // Out of the scope the platform's player is back.
    playSoundFile(qpath(dir.file("max.wav")));
    EXPECT_EQ(player.played.size(), 2u);
}

TEST(SoundPlayer, ThePlatformPlayerNeverFailsAloud) {
    TempDir dir;
    lumarik::test::writeBytes(dir.file("tone.wav"), silentWave());
    lumarik::test::writeBytes(dir.file("broken.wav"), "RIFF\x04\x00\x00\x00WAVEjunk");
    RecordingMessageReporter reporter;
    ScopedReporter scoped(reporter);
    // With or without an audio device and with or without sound built in, playing,
    // cutting off and playing a broken file neither fails nor reports anything.
    const std::unique_ptr<SoundPlayer> player = makePlatformSoundPlayer();
    player->play(qpath(dir.file("tone.wav")));
    player->play(qpath(dir.file("broken.wav")));
    player->play(qpath(dir.file("tone.wav")));
    QTest::qWait(50);
    player->play(qpath(dir.file("tone.wav")));
    QTest::qWait(50);
    EXPECT_TRUE(reporter.shown.empty());
}

TEST(SoundPlayer, TheDefaultFolderLiesBesideTheProgram) {
    EXPECT_EQ(defaultSoundFolder(), QCoreApplication::applicationDirPath() + "/sound");
}
