#pragma once
// What can be known about an image file without displaying it: size, channels,
// bit depth, format name and the EXIF/GPS data a photographer cares about.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include <opencv2/core.hpp>

#include "tivra/io/FileBytes.h"

struct heif_image_handle;

/// Image-information record. The field names are also the keys of the Python
/// information dict, in this order.
struct ImageFileInfo
{
    int width = 0;
    int height = 0;
    int channels = 0;      ///< colour channels including alpha
    int bit_depth = 0;     ///< bits per sample
    std::string format = "Unknown";
    bool has_exif = false; ///< a TIFF header was found in the EXIF data
    int orientation = 1;   ///< EXIF orientation (tag 274)
    std::string date_time; ///< DateTimeOriginal, else DateTime
    std::string camera_make;
    std::string camera_model;
    double focal_length = 0.0;  ///< millimetres
    double f_number = 0.0;
    double exposure_time = 0.0; ///< seconds
    int iso = 0;
    bool has_gps = false;       ///< both latitude and longitude were found
    double gps_lat = 0.0;       ///< degrees, negative south
    double gps_lon = 0.0;       ///< degrees, negative west
    double gps_alt = 0.0;       ///< metres as stored; the altitude reference is not applied
    std::map<std::string, std::string> extra; ///< free-form name/value pairs
};

/// Reads the information of the image file at `path` (UTF-8). The reader is
/// chosen by the extension: libheif for .heic/.heif, libjxl for .jxl; other
/// files get their size and layout from their headers where a header reader
/// vouches for them (see ImageHeader.h), else from OpenCV's decoder; JPEG files
/// also get their EXIF block parsed. Never throws for a missing, unreadable or
/// malformed file: it returns what it could fill.
ImageFileInfo GetImageFileInfo(const std::string& path);

/// GetImageFileInfo's reading of headers over bytes already read: sets `format`
/// by the extension of `path`, the layout where a header reader vouches for it
/// (true then) and, for JPEG, the EXIF fields. `declared` gets the size the
/// headers declare, where a reader got that far.
bool ReadInfoFromHeaders(const std::string& path, const image_header::FileBytes& file, ImageFileInfo& info,
                         ImageFileInfo& declared);

/// Size, channels and bit depth of an image decoded with IMREAD_UNCHANGED, for
/// the formats no header reader vouches for; an empty image changes nothing.
void FillLayoutFromDecoded(const cv::Mat& unchanged, ImageFileInfo& info);

/// What GetImageFileInfo reports for a HEIF file whose primary image `handle`
/// is open, so that a load reads the file once for the image and its information.
ImageFileInfo HeifFileInfo(const heif_image_handle* handle);

/// What GetImageFileInfo reports for a JPEG XL file whose bytes are all in `bytes`.
ImageFileInfo JxlFileInfo(const std::vector<std::uint8_t>& bytes);
