// Times the settings file at start-up and at exit when it holds a million lines: one
// read of the file with every key the main window reads, and one write of the keys
// it writes when it closes. Each lookup must cost a lookup, not a scan of the file.
//
//   build/bench/lumarik_bench_settings
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QString>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/ProfileFile.h"

namespace {

namespace fs = std::filesystem;
using lumarik::platform::ProfileReader;
using lumarik::platform::ProfileWriteBatch;

constexpr int kFillerLines = 1'000'000;

// Section and key of what the main window reads at start-up and writes at exit.
struct Key {
    const char16_t* section;
    const char16_t* key;
};
constexpr std::array<Key, 24> kWindowKeys = {{
    {u"window", u"height"},   {u"window", u"width"},      {u"window", u"top"},
    {u"window", u"left"},     {u"Font", u"name"},         {u"Font", u"size"},
    {u"Font", u"color"},      {u"back", u"color"},        {u"URL", u"color"},
    {u"status", u"visible"},  {u"toolbar", u"visible"},   {u"editor", u"wordwrap"},
    {u"editor", u"autowrap"}, {u"window", u"maxSighn"},   {u"menu", u"english"},
    {u"editor", u"tabcount"}, {u"editor", u"column"},     {u"editor", u"linespace"},
    {u"editor", u"uline"},    {u"editor", u"ulinecolor"}, {u"editor", u"number"},
    {u"editor", u"mark"},     {u"editor", u"mark_color"}, {u"dialog", u"opendir"},
}};

// A million short key lines in the section most keys are read from, then the keys.
const fs::path& bigSettingsFile() {
    static const fs::path file = [] {
        const fs::path path = fs::temp_directory_path() /
                              ("lumarik_bench_settings_" +
                               std::to_string(QCoreApplication::applicationPid()) + ".ini");
        std::ofstream out(path, std::ios::binary);
        out << "[editor]\r\n";
        for (int i = 0; i < kFillerLines; ++i) {
            out << "k" << i % 1000 << "=1\r\n";
        }
        for (const Key& key : kWindowKeys) {
            out << '[' << QString::fromUtf16(key.section).toStdString() << "]\r\n"
                << QString::fromUtf16(key.key).toStdString() << "=1\r\n";
        }
        return path;
    }();
    return file;
}

void BM_ReadAtStartUp(benchmark::State& state) {
    const QString path = QString::fromStdString(bigSettingsFile().string());
    for (auto _ : state) {
        const ProfileReader ini(path);
        int sum = 0;
        for (const Key& key : kWindowKeys) {
            sum += ini.readInt(QStringView(key.section), QStringView(key.key), 0);
        }
        benchmark::DoNotOptimize(sum);
    }
}

void BM_WriteAtExit(benchmark::State& state) {
    const QString path = QString::fromStdString(bigSettingsFile().string());
    for (auto _ : state) {
        ProfileWriteBatch ini(path);
        for (const Key& key : kWindowKeys) {
            ini.writeInt(QString::fromUtf16(key.section), QString::fromUtf16(key.key), 1);
        }
        if (!ini.commit()) {
            state.SkipWithError("write failed");
            return;
        }
    }
}

BENCHMARK(BM_ReadAtStartUp)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteAtExit)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    fs::remove(bigSettingsFile(), ec);
    return 0;
}
