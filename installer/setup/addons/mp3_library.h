// The MP3 library a setup package may carry, as the setup program binds it by
// name (LoadLibrary/GetProcAddress). For Win32 code only. Every entry point is
// __stdcall and exported under its plain name.
//
// The library plays or decodes on numbered channels (0 to 3): the setup program
// plays its start-up music on channel 0 and decodes packaged .mp3 files to .wav
// files on channel 1. A channel is started (MP3Init), given an output device
// (MP3SetDevice) and a file (MP3Open), played (MP3Play) until MP3GetPlayerMode
// reports the end, stopped (MP3Stop), closed (MP3Close) and ended (MP3DeInit).
// Calls that succeed return 1 and calls that fail return 0 unless said otherwise.
#pragma once

#include <windows.h>

#define VXMP3_API __stdcall

// Output devices of MP3SetDevice.
#define VXMP3_DEVICE_DEFAULT 0    // the default sound output; the name is ignored
#define VXMP3_DEVICE_WAVE_OUT 1   // the sound output named (its product name)
#define VXMP3_DEVICE_WAVE_FILE 2  // a .wav file at the path named, created or replaced

// MP3GetPlayerMode's answers.
#define VXMP3_MODE_CLOSED 0   // nothing open
#define VXMP3_MODE_STOPPED 1  // open, not playing
#define VXMP3_MODE_PLAYING 2
#define VXMP3_MODE_PAUSED 3
#define VXMP3_MODE_ENDED 4  // played to the end of the file

// Told where playback is, in milliseconds, while a channel plays. May be null.
typedef void(VXMP3_API* VxMp3Progress)(int channel, DWORD positionMs, DWORD lengthMs,
                                       void* context);

// What MP3GetMPEG_Args fills in about the open file's stream.
typedef struct VxMp3Format {
    DWORD size;         // set by the caller to sizeof(VxMp3Format)
    DWORD mpegVersion;  // 1, 2 (or 25 for MPEG 2.5)
    DWORD layer;        // 1 to 3
    DWORD bitRate;      // bits per second
    DWORD sampleRate;   // samples per second
    DWORD channels;     // 1 or 2
} VxMp3Format;

// Starts a channel.
typedef int(VXMP3_API* PFN_MP3Init)(int channel);
// Ends a channel (stops and closes it first).
typedef int(VXMP3_API* PFN_MP3DeInit)(int channel);
// Thread priority of the channel's player: 0 normal, 1 above normal, 2 highest.
typedef int(VXMP3_API* PFN_MP3SetPriority)(int channel, int priority);
// Output device (VXMP3_DEVICE_*) and its name (null or "" for the default).
typedef int(VXMP3_API* PFN_MP3SetDevice)(int channel, int device, const char* name);
// Opens an .mp3 file; fails when it cannot be read or holds no MPEG audio.
typedef int(VXMP3_API* PFN_MP3Open)(int channel, const char* path);
// Plays from startMs; playCount times in a row (0 counts as 1); eventName, when not
// null or "", names an event the library sets when playback ends.
typedef int(VXMP3_API* PFN_MP3Play)(int channel, DWORD startMs, DWORD playCount,
                                    const char* eventName);
// Pauses (pause != 0) or goes on (pause == 0).
typedef int(VXMP3_API* PFN_MP3Pause)(int channel, int pause);
typedef int(VXMP3_API* PFN_MP3Stop)(int channel);
typedef int(VXMP3_API* PFN_MP3Close)(int channel);
// Position and length of the open file in milliseconds (0 when nothing is open).
typedef DWORD(VXMP3_API* PFN_MP3GetCurrentPos)(int channel);
typedef DWORD(VXMP3_API* PFN_MP3GetLength)(int channel);
// Stream details of the open file.
typedef int(VXMP3_API* PFN_MP3GetMPEG_Args)(int channel, VxMp3Format* format);
// The decoder's name, NUL-terminated and cut to fit; returns its full length.
typedef int(VXMP3_API* PFN_MP3GetPlayer)(int channel, char* name, int size);
// VXMP3_MODE_*.
typedef int(VXMP3_API* PFN_MP3GetPlayerMode)(int channel);
// The progress callback and the context handed back to it.
typedef int(VXMP3_API* PFN_MP3SetExternalValues)(int channel, VxMp3Progress progress,
                                                 void* context);
