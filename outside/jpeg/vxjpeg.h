// vxjpeg.dll, the JPEG library a setup package may carry. The setup program binds
// it by name with LoadLibrary/GetProcAddress; the names are exported plain (no
// decoration) and every entry point is __stdcall. Paths are in the system code
// page. No entry point lets an exception or a libjpeg exit out.
#pragma once

#include <windows.h>

#define VXJPEG_API __stdcall

// GetDllVersion's answer: major version in the high word, minor in the low word.
#define VXJPEG_VERSION 0x00010000u

// Told the percentage of rows decoded so far (0..100); returns 0 to cancel the
// conversion, anything else to go on. May be null.
typedef int(VXJPEG_API* VxJpegProgress)(int percent);

// Options of JPGToBMPEx.
#define VXJPEG_SCALE_FULL 1     // scale denominators: the picture at 1/1 ...
#define VXJPEG_SCALE_HALF 2     // ... 1/2
#define VXJPEG_SCALE_QUARTER 4  // ... 1/4
#define VXJPEG_SCALE_EIGHTH 8   // ... 1/8
#define VXJPEG_QUALITY_BEST 0   // accurate inverse DCT, smooth upsampling
#define VXJPEG_QUALITY_FAST 1   // faster, slightly coarser

// Entry point names, for GetProcAddress.
#define VXJPEG_JPGTOBMP "JPGToBMP"
#define VXJPEG_JPGTOBMPEX "JPGToBMPEx"
#define VXJPEG_GETDLLVERSION "GetDllVersion"
#define VXJPEG_BLIT "Blit"

// Converts the JPEG file jpegPath into a 24-bit .bmp file at bmpPath (created or
// replaced). Returns 1 on success, 0 on failure (a damaged, cut-off or unreadable
// picture, a file that cannot be written, or a cancel). A picture that cannot be
// decoded leaves bmpPath untouched; a write that fails deletes the partial file.
typedef int(VXJPEG_API* PFN_JPGToBMP)(const char* jpegPath, const char* bmpPath,
                                      VxJpegProgress progress);
// The same with a scale denominator (VXJPEG_SCALE_*) and a quality
// (VXJPEG_QUALITY_*). Any other scale fails.
typedef int(VXJPEG_API* PFN_JPGToBMPEx)(const char* jpegPath, const char* bmpPath,
                                        int scaleDenominator, int quality, VxJpegProgress progress);
// VXJPEG_VERSION.
typedef DWORD(VXJPEG_API* PFN_GetDllVersion)(void);
// Draws the .bmp file at bmpPath at its natural size with its top left corner at
// (x, y) of hdc. Returns 1 when it was drawn, 0 when the file cannot be read or
// is not an uncompressed bitmap.
typedef int(VXJPEG_API* PFN_Blit)(HDC hdc, int x, int y, const char* bmpPath);

#ifdef __cplusplus
extern "C" {
#endif
int VXJPEG_API JPGToBMP(const char* jpegPath, const char* bmpPath, VxJpegProgress progress);
int VXJPEG_API JPGToBMPEx(const char* jpegPath, const char* bmpPath, int scaleDenominator,
                          int quality, VxJpegProgress progress);
DWORD VXJPEG_API GetDllVersion(void);
int VXJPEG_API Blit(HDC hdc, int x, int y, const char* bmpPath);
#ifdef __cplusplus
}
#endif
