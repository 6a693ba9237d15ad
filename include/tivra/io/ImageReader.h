#pragma once
// The one way the engine and both panels read an image file: the decoder is
// picked once (HEIF and JPEG XL by extension, everything else by content), the
// file is opened once and streamed to the decoder, and the image comes back with
// its information, read from the headers of the same open file.
#include <string>
#include <vector>

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>

#include "tivra/io/ImageFileInfo.h"

namespace tivra::io {

struct LoadedImage {
    cv::Mat image;       ///< as the file holds it, within what `flags` ask; empty on failure
    ImageFileInfo info;  ///< what GetImageFileInfo reports for the same file
    std::string error;   ///< why `image` is empty; empty on success
};

/// Reads and decodes the file at `utf8Path` with `flags` (cv::IMREAD_*; the
/// HEIF and JPEG XL adapters keep their own layout). Never throws: a missing,
/// unreadable, irregular (directory, FIFO), empty, oversized (SetMaxImagePixels)
/// or undecodable file gives an empty image and a message naming the path.
LoadedImage ReadImageFile(const std::string& utf8Path, int flags = cv::IMREAD_ANYDEPTH | cv::IMREAD_ANYCOLOR);

/// Decodes bytes already read from `utf8Path` by their content with OpenCV,
/// after checking the declared size against the pixel limit; fills `info` as
/// ReadImageFile does. `bytes` is released once decoded.
cv::Mat DecodeImageBytes(const std::string& utf8Path, std::vector<unsigned char>& bytes, int flags,
                         ImageFileInfo& info, std::string& error);

}  // namespace tivra::io
