#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class QWidget;

// The onboarding's fixed illustrated tour: five sections, no state, no
// controls; only scrolling.
struct TourImage {
    QString name;
    double width;
    std::optional<double> height; // none: follows the picture's proportions
};
struct TourSection {
    QString title;
    std::vector<std::vector<TourImage>> rows;
    bool featureListInLastRow; // section 1: the feature list after the image
    bool greyDivider;
};
const std::vector<TourSection>& tourSections();
// "Features" and its five numbered lines.
const QStringList& tourFeatureLines();

// The frame a picture of `natural` size takes for `image`: the given width
// and height, or the width and the height the proportions give.
QSize tourImageFrame(const TourImage& image, const QSize& natural);
// Where the picture is drawn inside that frame: scaled to fit, proportions
// kept, centred.
QRect tourImageRect(const QSize& frame, const QSize& natural);
// The tour's pictures, our own artwork, drawn on demand.
QImage tourPicture(const QString& name);

// The tour area: a scroll view of exactly 880 by 350, or of `width` by 350
// with its pictures scaled down to fit, for a window narrower than the tour.
inline constexpr int kTourWidth = 880;
inline constexpr int kTourHeight = 350;
QWidget* makeFeatureTour(int width = kTourWidth);
