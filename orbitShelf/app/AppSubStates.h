#pragma once

#include <QList>
#include <QString>
#include <QUrl>
#include <QVariantList>

// Icon size of the bar's buttons. Width and height share one key on purpose:
// the icon is always square, and a change of either changes both.
class AppIcon final {
public:
    static constexpr double defaultHeight = 46;
    static constexpr double defaultWidth = 46;
    double height() const;
    void setHeight(double value) const;
    double width() const;
    void setWidth(double value) const;
};

// The note being edited.
class CustomNote final {
public:
    QString content() const;
    void setContent(const QString& value) const;
    QString id() const;
    void setId(const QString& value) const;
};

// Where the file browser stands; plain values, not stored.
struct CustomDirectory final {
    QUrl currentUrl;
    QVariantList columns;
    QList<QUrl> parentDirectories;
};
