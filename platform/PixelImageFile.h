#pragma once
// Pictures written as the profile is: into a new file beside the name, then
// renamed over it. A reader never finds half a picture, a failed write leaves
// the earlier one whole, and a link at the name is replaced, not written
// through.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/CairoHandles.h"
#include "platform/Error.h"

// Takes a file's bytes a piece at a time; false once a piece was not kept.
using FileBytesSink = std::function<bool(const unsigned char* bytes, std::size_t count)>;
// Gives every byte of a file to the sink; false when it could not.
using FileBytesWriter = std::function<bool(const FileBytesSink& sink)>;

// Makes path a regular file holding what write gives: a new file in the same
// folder, synced, renamed over path (a regular file keeps its permissions).
// On failure path is as it was, no temporary file is left and errno says why.
ErrorOr<void> ReplaceFileWith(const std::string& path, const FileBytesWriter& write);

// The image surface as a PNG file at path, through ReplaceFileWith.
ErrorOr<void> WritePngFile(cairo_surface_t* surface, const std::string& path);

// Fills `count` rows of a picture from row `first` on into `rows`: 0x00RRGGBB
// values (the top byte is not written), the picture's width to a row, no padding.
using PixelRowSource = std::function<void(int first, int count, std::uint32_t* rows)>;

// A width x height opaque RGB PNG at path, through ReplaceFileWith, in the
// bytes Cairo writes for an RGB24 surface. Rows are asked for a band at a
// time, so that no copy of the whole picture is made.
ErrorOr<void> WritePngRows(int width, int height, const PixelRowSource& rows,
                           const std::string& path);
