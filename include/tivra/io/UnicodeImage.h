#pragma once
// Image files under any Unicode name: bytes are read and written by the module
// and decoded or encoded in memory by OpenCV. HEIF and JPEG XL files are handed
// to their adapters by extension.
#include <istream>
#include <string>
#include <vector>

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>

/// UTF-8 to wide (one code point per element); empty if the input is not valid UTF-8.
std::wstring to_wide_string(const std::string& utf8);

/// Wide to UTF-8; empty if an element is not a Unicode scalar value.
std::string to_byte_string(const std::wstring& wide);

/// Same as to_wide_string.
std::wstring UTF8ToPath(const std::string& utf8);

/// Same as to_byte_string.
std::string PathToUTF8(const std::wstring& path);

/// Text from the last "." to the end, dot included, as spelled; empty without a dot.
std::string GetExtension(const std::string& path);

/// The extension of a wide path, as UTF-8.
std::string GetExtension(const std::wstring& path);

/// True if the path names a regular file (after following links). Every path to a
/// decoder checks this first: a directory or FIFO named like an image must fail
/// at once instead of blocking or feeding a decoder endless bytes.
bool IsRegularFile(const std::string& utf8Path);

/// True if the file can be opened for reading.
bool fileExists(const std::string& utf8Path);

/// Reads everything from the current position of `in` to its end into `bytes`.
/// False (and `bytes` cleared) when the size cannot be learnt or fewer bytes
/// arrive than the stream announced.
bool ReadStreamBytes(std::istream& in, std::vector<unsigned char>& bytes);

/// Reads a whole regular file; false if it is not one or cannot be read completely.
bool ReadFileBytes(const std::string& utf8Path, std::vector<unsigned char>& bytes);

/// Decodes the file with OpenCV and `flags` (cv::IMREAD_*). A file that cannot be
/// opened or read completely leaves `image` untouched; undecodable bytes make it empty.
void Unicode_CvImread(std::wstring path, cv::Mat& image, int flags = cv::IMREAD_COLOR);

/// Encodes by the path's extension (".png" when it has none) and writes the file.
/// True only when the whole file is in place; on failure an existing file keeps
/// its old content and no partial file is left behind.
bool Unicode_CvImwrite(const std::wstring& path, const cv::Mat& image, const std::vector<int>& params = {});

/// ReadImageFile(utf8Path, flags).image: HEIF and JPEG XL through their
/// adapters, everything else by content with OpenCV; empty on failure.
cv::Mat LoadImageByExtension(const std::string& utf8Path, int flags = cv::IMREAD_COLOR);
