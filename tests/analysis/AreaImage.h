#pragma once
// Area-sampled test images: each pixel (centre at integer coordinates) takes the share of its
// 16 x 16 sub-samples for which `bright` holds, is blurred if asked, and is quantised to 8 bits.
#include <opencv2/imgproc.hpp>

#include <functional>

inline cv::Mat areaImage(int width, int height, double dark, double light,
                         const std::function<bool(double, double)>& bright, double blurSigma = 0)
{
    constexpr int kSub = 16;
    cv::Mat f(height, width, CV_64FC1);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            int hits = 0;
            for (int j = 0; j < kSub; ++j)
                for (int i = 0; i < kSub; ++i)
                    hits += bright(x - 0.5 + (i + 0.5) / kSub, y - 0.5 + (j + 0.5) / kSub) ? 1 : 0;
            f.at<double>(y, x) = dark + (light - dark) * hits / (kSub * kSub);
        }
    if (blurSigma > 0)
        cv::GaussianBlur(f, f, cv::Size(0, 0), blurSigma, blurSigma, cv::BORDER_REPLICATE);
    cv::Mat out;
    f.convertTo(out, CV_8UC1);
    return out;
}
