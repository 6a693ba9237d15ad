#include <gtest/gtest.h>

#include <csignal>

#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <opencv2/imgcodecs.hpp>

#include "IoTestSupport.h"
#include "tivra/io/HeifUtils.h"
#include "tivra/io/ImageFileInfo.h"
#include "tivra/io/JxlUtils.h"
#include "tivra/io/UnicodeImage.h"

using namespace iotest;

namespace {

std::vector<std::string> DirectoryNames(const ScratchDir& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        names.push_back(entry.path().filename().u8string());
    std::sort(names.begin(), names.end());
    return names;
}

// A file that loses half its bytes between the reader measuring it and reading it.
class ShrinkingFile : public std::filebuf {
public:
    explicit ShrinkingFile(const std::string& path) : path_(path) { open(path, std::ios::in | std::ios::binary); }

protected:
    pos_type seekpos(pos_type position, std::ios_base::openmode mode) override
    {
        fs::resize_file(path_, 50);
        return std::filebuf::seekpos(position, mode);
    }

private:
    std::string path_;
};

// Runs `body` in a child process under one resource limit (file size, as on a full
// disk, or memory) and an alarm, so that a reader that hangs or runs away fails the
// test instead of stalling it; returns the child's exit status.
template <typename Body>
int RunInChild(int resource, rlim_t limit, Body body)
{
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);  // make a write past the limit fail with EFBIG instead of killing us
        ::alarm(20);
        const rlimit bound{limit, limit};
        ::setrlimit(resource, &bound);
        ::_exit(body() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(StringHelpers, StrictUtf8BothWays)
{
    const std::string text = "\xe5\x86\x99\xe7\x9c\x9f \xf0\x9f\x98\x80 caf\xc3\xa9";  // 写真 😀 café
    const std::wstring wide = to_wide_string(text);
    ASSERT_EQ(wide.size(), 9u);
    EXPECT_EQ(wide[0], L'\u5199');
    EXPECT_EQ(static_cast<char32_t>(wide[3]), U'\U0001F600');
    EXPECT_EQ(wide[8], L'\u00e9');
    EXPECT_EQ(to_byte_string(wide), text);
    EXPECT_EQ(UTF8ToPath(text), wide);
    EXPECT_EQ(PathToUTF8(wide), text);

    EXPECT_TRUE(to_wide_string("\xff").empty());
    EXPECT_TRUE(to_wide_string("ok\xc3").empty());              // truncated sequence
    EXPECT_TRUE(to_wide_string("\xc0\xaf").empty());            // overlong "/"
    EXPECT_TRUE(to_wide_string("\xed\xa0\x80").empty());        // surrogate
    EXPECT_TRUE(to_wide_string("\xf4\x90\x80\x80").empty());    // above U+10FFFF
    EXPECT_TRUE(to_byte_string(std::wstring(1, static_cast<wchar_t>(0x110000))).empty());
    EXPECT_TRUE(to_byte_string(std::wstring(1, static_cast<wchar_t>(0xD800))).empty());
    EXPECT_EQ(to_byte_string(std::wstring(1, static_cast<wchar_t>(0x10FFFF))), "\xf4\x8f\xbf\xbf");
}

TEST(StringHelpers, ExtensionIsTheTextFromTheLastDot)
{
    EXPECT_EQ(GetExtension(std::string("archive.tar.gz")), ".gz");
    EXPECT_EQ(GetExtension(std::string("README")), "");
    EXPECT_EQ(GetExtension(std::string("dir.old/file")), ".old/file");
    EXPECT_EQ(GetExtension(std::wstring(L"\u5199\u771f.Png")), ".Png");
}

TEST(UnicodeFiles, RoundTripUnderNonAsciiNames)
{
    ScratchDir dir;
    const cv::Mat image = NoisePicture(40, 30, CV_8UC3);
    for (const std::string name : {"\xe5\x86\x99\xe7\x9c\x9f.png", "\xf0\x9f\x98\x80\xf0\x9f\x8e\x89.png",
                                   "r\xc3\xa9sum\xc3\xa9 na\xc3\xafve.bmp"}) {
        const std::string path = dir / name;
        ASSERT_TRUE(Unicode_CvImwrite(to_wide_string(path), image)) << name;
        EXPECT_TRUE(fs::exists(fs::u8path(path))) << name;
        EXPECT_TRUE(fileExists(path));
        cv::Mat back;
        Unicode_CvImread(to_wide_string(path), back, cv::IMREAD_COLOR);
        ASSERT_FALSE(back.empty()) << name;
        EXPECT_EQ(MaxDifference(back, image), 0) << name;
        EXPECT_EQ(MaxDifference(LoadImageByExtension(path), image), 0) << name;
        EXPECT_EQ(LoadImageByExtension(path, cv::IMREAD_GRAYSCALE).channels(), 1) << name;
    }
    EXPECT_EQ(DirectoryNames(dir).size(), 3u);  // no temporary files left
}

// The extension picks the encoder, in any case; none gives PNG; nothing is left
// behind by a save that fails.
TEST(UnicodeFiles, SaveFollowsTheExtension)
{
    const cv::Mat picture = SmoothPicture(64, 48);
    const std::tuple<std::string, cv::Mat, std::string> cases[] = {
        {"picture", picture, std::string("\x89PNG\r\n\x1a\n", 8)}, {"out.JPG", picture, "\xff\xd8\xff"},
        {"image.unknownformat", picture, ""}, {"missing/out.png", picture, ""}, {"empty.png", cv::Mat(), ""}};
    for (const auto& [name, image, magic] : cases) {
        ScratchDir dir;
        EXPECT_EQ(Unicode_CvImwrite(to_wide_string(dir / name), image), !magic.empty()) << name;
        EXPECT_EQ(DirectoryNames(dir), magic.empty() ? std::vector<std::string>{} : std::vector<std::string>{name});
        const std::vector<unsigned char> bytes = ReadBytes(dir / name);
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + std::min(bytes.size(), magic.size())), magic) << name;
    }
}

TEST(UnicodeFiles, BadNamesAndMissingFilesReachNoFile)
{
    ScratchDir dir;
    EXPECT_TRUE(LoadImageByExtension("bad\xff.png").empty());
    EXPECT_FALSE(fileExists(dir / "missing.png"));
    cv::Mat kept = NoisePicture(4, 4, CV_8UC1);
    Unicode_CvImread(to_wide_string(dir / "missing.png"), kept, cv::IMREAD_COLOR);
    EXPECT_EQ(kept.size(), cv::Size(4, 4));  // an unopened file leaves the image alone

    const std::string real = dir / "real.png";
    const cv::Mat image = NoisePicture(6, 6, CV_8UC3);
    ASSERT_TRUE(Unicode_CvImwrite(to_wide_string(real), image));
    const std::string hidden = real + std::string(1, '\0') + "tail.png";
    EXPECT_FALSE(fileExists(hidden));
    EXPECT_TRUE(LoadImageByExtension(hidden).empty());
    testing::internal::CaptureStderr();
    EXPECT_TRUE(LoadImageByExtension(real + std::string(1, '\0') + ".heic").empty());
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Failed to read HEIC file: the file name contains a NUL character\n");
    EXPECT_TRUE(jxl_utils::jxl_to_cvmat(real + std::string(1, '\0') + ".jxl").empty());

    const std::string other = dir / "other.png";
    EXPECT_FALSE(Unicode_CvImwrite(to_wide_string(other + std::string(1, '\0') + ".png"), image));
    EXPECT_FALSE(fs::exists(fs::u8path(other)));
}

TEST(UnicodeFiles, ShortReadIsAFailedRead)
{
    ScratchDir dir;
    WriteBytes(dir / "file", std::string(100, 'x'));
    ShrinkingFile shrinking(dir / "file");
    std::istream in(&shrinking);
    std::vector<unsigned char> bytes{1, 2, 3};
    EXPECT_FALSE(ReadStreamBytes(in, bytes));
    EXPECT_TRUE(bytes.empty());

    std::ifstream whole(dir / "file", std::ios::binary);
    ASSERT_TRUE(ReadStreamBytes(whole, bytes));
    EXPECT_EQ(bytes, std::vector<unsigned char>(50, 'x'));
}

TEST(UnicodeFiles, DispatchByLowerCasedExtension)
{
    ScratchDir dir;
    const cv::Mat image = SmoothPicture(64, 48);
    ASSERT_TRUE(heif_utils::cvmat_to_heif(image, dir / "photo.HEIC", 100));
    ASSERT_TRUE(jxl_utils::cvmat_to_jxl(image, dir / "photo.JxL", 100));
    const cv::Mat heif = Capturing([&] { return LoadImageByExtension(dir / "photo.HEIC"); }).first;
    const cv::Mat jxl = LoadImageByExtension(dir / "photo.JxL");
    EXPECT_EQ(MaxDifference(heif, image), 0);
    EXPECT_EQ(MaxDifference(jxl, image), 0);
    // OpenCV itself knows neither format.
    cv::Mat direct;
    Unicode_CvImread(to_wide_string(dir / "photo.HEIC"), direct, cv::IMREAD_COLOR);
    EXPECT_TRUE(direct.empty());
}

// A small tmpfs of its own over a directory, so that a save runs out of space for
// real; mounting needs root, elsewhere a file size limit stands in for the full disk.
class TinyDisk {
public:
    explicit TinyDisk(const fs::path& dir) : dir_(dir)
    {
        mounted_ = ::mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=64k") == 0;
    }
    ~TinyDisk()
    {
        if (mounted_)
            ::umount2(dir_.c_str(), MNT_DETACH);
    }
    TinyDisk(const TinyDisk&) = delete;
    TinyDisk& operator=(const TinyDisk&) = delete;

    /// Saves `image`, which does not fit, as `path`; true if the save reported failure.
    bool SaveFails(const std::string& path, const cv::Mat& image) const
    {
        const auto save = [&] { return Unicode_CvImwrite(to_wide_string(path), image); };
        return mounted_ ? !save() : RunInChild(RLIMIT_FSIZE, 16 * 1024, save) == 1;
    }

private:
    fs::path dir_;
    bool mounted_ = false;
};

class FailedSave : public testing::TestWithParam<std::string> {};

TEST_P(FailedSave, KeepsTheOldFileByteForByte)
{
    ScratchDir dir;
    const TinyDisk disk(dir.path());
    const std::string path = dir / GetParam();
    ASSERT_TRUE(Unicode_CvImwrite(to_wide_string(path), NoisePicture(4, 4, CV_8UC3)));
    const std::vector<unsigned char> before = ReadBytes(path);

    const cv::Mat large = NoisePicture(256, 256, CV_8UC3);  // about 200 KB of PNG
    EXPECT_TRUE(disk.SaveFails(path, large));
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(DirectoryNames(dir).size(), 1u);

    const std::string fresh = dir / "fresh.png";
    EXPECT_TRUE(disk.SaveFails(fresh, large));
    EXPECT_FALSE(fs::exists(fs::u8path(fresh)));
}

// Short names, and names so long that the temporary name must be shortened to fit
// the 255-byte limit.
INSTANTIATE_TEST_SUITE_P(Names, FailedSave,
                         testing::Values("\xe5\xa4\xa7\xe3\x81\x8d\xe3\x81\x84.png",  // 大きい.png
                                         std::string(241, 'n') + ".png",
                                         to_byte_string(std::wstring(81, L'\u5927')) + ".png"),  // 大 81 times
                         [](const testing::TestParamInfo<std::string>& name) {
                             return "Bytes" + std::to_string(name.param.size());
                         });

class NotARegularFile : public testing::TestWithParam<std::string> {};

// Directories, FIFOs and devices are neither read nor saved over, and nothing waits
// for a FIFO's other end.
TEST_P(NotARegularFile, FailsAtOnceInEveryReaderAndWriter)
{
    ScratchDir dir;
    // A HEIF file read first: libheif then reads a directory as an endless stream.
    ASSERT_TRUE(heif_utils::cvmat_to_heif(SmoothPicture(16, 16), dir / "real.heic", 90));
    ASSERT_FALSE(LoadImageByExtension(dir / "real.heic").empty());
    const std::string folder = dir / ("folder" + GetParam());
    const std::string fifo = dir / ("fifo" + GetParam());
    fs::create_directory(fs::u8path(folder));
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    std::vector<std::string> specials = {folder, fifo};
    // A null device of its own where mknod is allowed: a save that wrongly replaced
    // it must not replace the system's /dev/null.
    if (::mknod((dir / ("null" + GetParam())).c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0)
        specials.push_back(dir / ("null" + GetParam()));

    testing::internal::CaptureStderr();
    const int status = RunInChild(RLIMIT_AS, rlim_t{2} << 30, [&] {
        for (const std::string& path : specials)
            if (!LoadImageByExtension(path).empty() || GetImageFileInfo(path).width != 0 || IsRegularFile(path))
                return false;
        return IsRegularFile(dir / "real.heic") && fileExists(fifo);  // openable, without waiting for a writer
    });
    // Saves run in a child of their own without the memory bound, under which a sanitizer's
    // allocator cannot map the encoder's buffers.
    const int saved = RunInChild(RLIMIT_FSIZE, rlim_t{1} << 20, [&] {
        for (const std::string& path : specials)
            if (Unicode_CvImwrite(to_wide_string(path), NoisePicture(4, 4, CV_8UC3)))
                return false;
        return true;
    });
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(status, 0);
    EXPECT_EQ(saved, 0);
    for (const std::string& path : specials)
        EXPECT_FALSE(fs::is_regular_file(fs::u8path(path))) << path;
    EXPECT_EQ(DirectoryNames(dir).size(), specials.size() + 1);
}

INSTANTIATE_TEST_SUITE_P(Formats, NotARegularFile,
                         testing::Values(".png", ".jpg", ".tif", ".bmp", ".pgm", ".webp", ".heic", ".heif", ".jxl"),
                         [](const testing::TestParamInfo<std::string>& extension) {
                             return extension.param.substr(1);
                         });

TEST(UnicodeFiles, OverwriteKeepsModeAndFollowsLinks)
{
    ScratchDir dir;
    const std::string real = dir / "real.png";
    const std::string link = dir / "link.png";
    ASSERT_TRUE(Unicode_CvImwrite(to_wide_string(real), NoisePicture(4, 4, CV_8UC3)));
    ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
    fs::create_symlink("real.png", fs::u8path(link));

    const cv::Mat next = NoisePicture(9, 7, CV_8UC3, 99);
    ASSERT_TRUE(Unicode_CvImwrite(to_wide_string(link), next));
    EXPECT_TRUE(fs::is_symlink(fs::u8path(link)));
    EXPECT_EQ(MaxDifference(LoadImageByExtension(real), next), 0);
    struct stat info {};
    ASSERT_EQ(::stat(real.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}
