// The live capture behind a hover preview: only while shown, let go when
// hidden.
#include "dock/PreviewCapture.h"

#include <gtest/gtest.h>

namespace {

TEST(PreviewCapture, CapturesOnlyWhileShownAndLetsThePictureGo)
{
    int captures = 0;
    std::optional<uint32_t> asked;
    bool shows = true;
    PreviewCapture capture([&](uint32_t number) -> std::optional<QImage> {
        ++captures;
        asked = number;
        if (!shows)
            return std::nullopt;
        QImage picture(16, 10, QImage::Format_ARGB32);
        picture.fill(Qt::green);
        return picture;
    });
    EXPECT_FALSE(capture.isCapturing());

    capture.start(42);
    EXPECT_EQ(captures, 1) << "the first frame comes at once";
    EXPECT_EQ(asked, 42u);
    EXPECT_TRUE(capture.isCapturing());
    EXPECT_EQ(capture.image().size(), QSize(16, 10));
    EXPECT_GE(PreviewCapture::intervalMs, 200) << "a few frames a second at most";
    shows = false; // minimised meanwhile
    capture.captureNow();
    EXPECT_TRUE(capture.image().isNull()) << "a stale picture is not kept";

    shows = true;
    capture.captureNow();
    capture.stop();
    EXPECT_FALSE(capture.isCapturing());
    EXPECT_TRUE(capture.image().isNull());
    capture.captureNow();
    EXPECT_EQ(captures, 3) << "nothing is captured while hidden";
}

} // namespace
