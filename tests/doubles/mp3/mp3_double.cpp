// A stand-in for the MP3 library in tests of the setup program: it plays nothing.
// Every call appends a line to the log ("MP3Open 1 \"C:\\a.mp3\" -> 1"); a "play"
// on the wave-file device writes a small .wav file holding the first 64 KB of the
// opened file as 8-bit samples, so a test can see which file went where.
//
// Steering (environment variables, read at each call):
//   VX_MP3_FAIL=MP3Open,MP3Play   those entry points fail (return 0)
//   VX_MP3_PLAY_POLLS=n           MP3GetPlayerMode reports "playing" n times before
//                                 the end (default 0: the first ask sees the end)
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "installer/setup/addons/mp3_library.h"
#include "tests/doubles/double_log.h"

namespace {

using doubles::quoted;

constexpr int kChannels = 4;
constexpr std::size_t kKeptBytes = 64 * 1024;

struct Channel {
    bool started = false;
    int device = VXMP3_DEVICE_DEFAULT;
    std::string deviceName;
    bool open = false;
    std::string samples;  // the first bytes of the open file
    DWORD fileSize = 0;
    int mode = VXMP3_MODE_CLOSED;
    long pollsLeft = 0;
    std::string eventName;
    VxMp3Progress progress = nullptr;
    void* context = nullptr;
};

Channel channels[kChannels];

Channel* channelOf(int number) {
    return number >= 0 && number < kChannels ? &channels[number] : nullptr;
}

// Logs the call with its result; a listed failure turns the result into 0.
int finish(const char* name, const std::string& arguments, int result) {
    if (doubles::listed(doubles::environment("VX_MP3_FAIL"), name))
        result = 0;
    doubles::logLine(std::string(name) + " " + arguments + " -> " + std::to_string(result));
    return result;
}

bool failing(const char* name) {
    return doubles::listed(doubles::environment("VX_MP3_FAIL"), name);
}

DWORD lengthMs(const Channel& c) {
    return c.fileSize / 16;
}  // as if 128 kbit/s

bool readHead(const char* path, Channel& c) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    c.fileSize = GetFileSize(file, nullptr);
    c.samples.assign(std::min<std::size_t>(c.fileSize, kKeptBytes), '\0');
    DWORD got = 0;
    bool ok = c.samples.empty() ||
              (ReadFile(file, &c.samples[0], static_cast<DWORD>(c.samples.size()), &got, nullptr) &&
               got == c.samples.size());
    CloseHandle(file);
    return ok;
}

void put32(std::string& s, DWORD v) {
    for (int i = 0; i < 4; ++i)
        s.push_back(static_cast<char>(v >> (8 * i)));
}

// 8000 Hz, mono, 8-bit PCM.
bool writeWave(const std::string& path, const std::string& samples) {
    std::string wav = "RIFF";
    put32(wav, 36 + static_cast<DWORD>(samples.size()));
    wav += "WAVEfmt ";
    put32(wav, 16);
    put32(wav, 1 | (1 << 16));  // PCM, one channel
    put32(wav, 8000);
    put32(wav, 8000);
    put32(wav, 1 | (8 << 16));  // block align 1, 8 bits
    wav += "data";
    put32(wav, static_cast<DWORD>(samples.size()));
    wav += samples;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(file, wav.data(), static_cast<DWORD>(wav.size()), &written, nullptr) &&
              written == wav.size();
    CloseHandle(file);
    return ok;
}

void reachEnd(Channel& c) {
    c.mode = VXMP3_MODE_ENDED;
    if (c.eventName.empty())
        return;
    if (HANDLE event = OpenEventA(EVENT_MODIFY_STATE, FALSE, c.eventName.c_str())) {
        SetEvent(event);
        CloseHandle(event);
    }
}

}  // namespace

extern "C" {

int VXMP3_API MP3Init(int channel) {
    Channel* c = channelOf(channel);
    if (c && !failing("MP3Init"))
        c->started = true;
    return finish("MP3Init", std::to_string(channel), c ? 1 : 0);
}

int VXMP3_API MP3DeInit(int channel) {
    Channel* c = channelOf(channel);
    if (c && !failing("MP3DeInit"))
        *c = Channel{};
    return finish("MP3DeInit", std::to_string(channel), c ? 1 : 0);
}

int VXMP3_API MP3SetPriority(int channel, int priority) {
    Channel* c = channelOf(channel);
    return finish("MP3SetPriority", std::to_string(channel) + " " + std::to_string(priority),
                  c && c->started && priority >= 0 && priority <= 2 ? 1 : 0);
}

int VXMP3_API MP3SetDevice(int channel, int device, const char* name) {
    Channel* c = channelOf(channel);
    bool ok = c && c->started && device >= VXMP3_DEVICE_DEFAULT &&
              device <= VXMP3_DEVICE_WAVE_FILE &&
              (device != VXMP3_DEVICE_WAVE_FILE || (name && *name));
    int result = finish("MP3SetDevice",
                        std::to_string(channel) + " " + std::to_string(device) + " " + quoted(name),
                        ok ? 1 : 0);
    if (result) {
        c->device = device;
        c->deviceName = name ? name : "";
    }
    return result;
}

int VXMP3_API MP3Open(int channel, const char* path) {
    Channel* c = channelOf(channel);
    bool ok = c && c->started && path && !failing("MP3Open") && readHead(path, *c);
    if (ok) {
        c->open = true;
        c->mode = VXMP3_MODE_STOPPED;
    }
    return finish("MP3Open", std::to_string(channel) + " " + quoted(path), ok ? 1 : 0);
}

int VXMP3_API MP3Play(int channel, DWORD startMs, DWORD playCount, const char* eventName) {
    Channel* c = channelOf(channel);
    bool ok = c && c->open && !failing("MP3Play");
    if (ok && c->device == VXMP3_DEVICE_WAVE_FILE)
        ok = writeWave(c->deviceName, c->samples);
    if (ok) {
        c->mode = VXMP3_MODE_PLAYING;
        c->pollsLeft = std::atol(doubles::environment("VX_MP3_PLAY_POLLS").c_str());
        c->eventName = eventName ? eventName : "";
    }
    int result = finish("MP3Play",
                        std::to_string(channel) + " " + std::to_string(startMs) + " " +
                            std::to_string(playCount) + " " + quoted(eventName),
                        ok ? 1 : 0);
    if (result && c->progress) {
        c->progress(channel, 0, lengthMs(*c), c->context);
        c->progress(channel, lengthMs(*c), lengthMs(*c), c->context);
    }
    return result;
}

int VXMP3_API MP3Pause(int channel, int pause) {
    Channel* c = channelOf(channel);
    bool ok = c && (c->mode == VXMP3_MODE_PLAYING || c->mode == VXMP3_MODE_PAUSED);
    if (ok && !failing("MP3Pause"))
        c->mode = pause ? VXMP3_MODE_PAUSED : VXMP3_MODE_PLAYING;
    return finish("MP3Pause", std::to_string(channel) + " " + std::to_string(pause), ok ? 1 : 0);
}

int VXMP3_API MP3Stop(int channel) {
    Channel* c = channelOf(channel);
    bool ok = c && c->started;
    if (ok && c->open && !failing("MP3Stop"))
        c->mode = VXMP3_MODE_STOPPED;
    return finish("MP3Stop", std::to_string(channel), ok ? 1 : 0);
}

int VXMP3_API MP3Close(int channel) {
    Channel* c = channelOf(channel);
    bool ok = c && c->started;
    if (ok && !failing("MP3Close")) {
        c->open = false;
        c->samples.clear();
        c->fileSize = 0;
        c->mode = VXMP3_MODE_CLOSED;
    }
    return finish("MP3Close", std::to_string(channel), ok ? 1 : 0);
}

DWORD VXMP3_API MP3GetCurrentPos(int channel) {
    Channel* c = channelOf(channel);
    DWORD position = c && c->mode == VXMP3_MODE_ENDED ? lengthMs(*c) : 0;
    doubles::logLine("MP3GetCurrentPos " + std::to_string(channel) + " -> " +
                     std::to_string(position));
    return position;
}

DWORD VXMP3_API MP3GetLength(int channel) {
    Channel* c = channelOf(channel);
    DWORD length = c && c->open ? lengthMs(*c) : 0;
    doubles::logLine("MP3GetLength " + std::to_string(channel) + " -> " + std::to_string(length));
    return length;
}

int VXMP3_API MP3GetMPEG_Args(int channel, VxMp3Format* format) {
    Channel* c = channelOf(channel);
    bool ok = c && c->open && format && format->size >= sizeof(VxMp3Format);
    if (ok && !failing("MP3GetMPEG_Args")) {
        format->mpegVersion = 1;
        format->layer = 3;
        format->bitRate = 128000;
        format->sampleRate = 44100;
        format->channels = 2;
    }
    return finish("MP3GetMPEG_Args", std::to_string(channel), ok ? 1 : 0);
}

int VXMP3_API MP3GetPlayer(int channel, char* name, int size) {
    static const char kName[] = "Contavo test MP3 double";
    if (name && size > 0) {
        int n = std::min<int>(size - 1, sizeof kName - 1);
        std::memcpy(name, kName, static_cast<std::size_t>(n));
        name[n] = '\0';
    }
    doubles::logLine("MP3GetPlayer " + std::to_string(channel) + " " + std::to_string(size));
    return sizeof kName - 1;
}

int VXMP3_API MP3GetPlayerMode(int channel) {
    Channel* c = channelOf(channel);
    int mode = VXMP3_MODE_CLOSED;
    if (c) {
        if (c->mode == VXMP3_MODE_PLAYING && c->pollsLeft-- <= 0)
            reachEnd(*c);
        mode = c->mode;
    }
    doubles::logLine("MP3GetPlayerMode " + std::to_string(channel) + " -> " + std::to_string(mode));
    return mode;
}

int VXMP3_API MP3SetExternalValues(int channel, VxMp3Progress progress, void* context) {
    Channel* c = channelOf(channel);
    if (c && !failing("MP3SetExternalValues")) {
        c->progress = progress;
        c->context = context;
    }
    return finish("MP3SetExternalValues",
                  std::to_string(channel) + (progress ? " callback" : " null"), c ? 1 : 0);
}

}  // extern "C"
