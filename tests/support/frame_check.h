// Checks of drawn frames against a checked-in manifest of frame hashes, for the GUI tests:
//
//     EXPECT_TRUE(test::MatchesFrame("toolkit/hover_button", frame));
//
// The manifest (tests/frames.manifest) has one line per frame, sorted by name:
// "NAME WIDTHxHEIGHT HASH", HASH being FrameHash in 16 lowercase hex digits; lines starting with
// '#' are comments (an update writes the file anew: its own header line and the entries). A
// frame matches when the manifest holds its name with the same size and hash.
//
// Pictures for a person to look at go below the folder frames/ of the working directory, in
// subfolders from the name: frames/NAME.png after a match (what the manifest expects), and
// frames/NAME.seen.png for a frame that differs or is not in the manifest. Each picture carries
// "frame WIDTHxHEIGHT HASH" as its PNG comment; an expected picture that has the entry's already
// is not written again.
//
// The environment steers it:
//   PATCHER_UPDATE_FRAMES=1   every checked frame is recorded in the manifest (its entry added
//                             or replaced) and the check passes; processes running side by side
//                             take turns through a lock folder beside the manifest
//   PATCHER_FRAME_MANIFEST    another manifest file instead of the one in the source tree
//   PATCHER_FRAME_OUTPUT      another folder instead of frames/ for the pictures
#pragma once

#include "guib/guib.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace test {

// FNV-1a 64 (offset basis 0xCBF29CE484222325, prime 0x100000001B3) over width and height as
// 4 bytes each, then every pixel's 4 bytes, all little-endian, rows top to bottom: the same value
// on every system and word size. stride is the number of pixels from one row's start to the next.
uint64_t FrameHash(const uint32_t* pixels, int32_t width, int32_t height, int32_t stride);

// Whether the frame matches its manifest entry (see above). name is a path of components of
// [a-z0-9_.-] joined by '/' (no empty, "." or ".." component); any other name fails, as does a
// frame without pixels. A failure names the frame, the expected and seen size and hash, and the
// picture written.
::testing::AssertionResult MatchesFrame(
    const std::string& name, const uint32_t* pixels, int32_t width, int32_t height, int32_t stride);

inline ::testing::AssertionResult MatchesFrame(const std::string& name, const GUIB_Frame& frame)
{
    return MatchesFrame(name, frame.pixels, frame.width, frame.height, frame.width);
}

inline ::testing::AssertionResult MatchesFrame(const std::string& name, const c_GUIB_Bitmap& bitmap)
{
    int32_t width = 0, height = 0;
    bitmap.GetSize(&width, &height);
    return MatchesFrame(name, bitmap.GetPixels(), width, height, width);
}

}
