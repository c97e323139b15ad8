#pragma once

#include <QMap>
#include <QString>

// The settings and stored values the application model reads and writes,
// behind one small interface so that the model's rules run without the
// application's state object. The application binds it to AppState and
// CustomSettings; tests use the in-memory one.
class ModelSettings {
public:
    virtual ~ModelSettings() = default;

    virtual bool replaceFinder() const = 0;
    virtual bool enableFeishuMultipleTask() const = 0;
    virtual bool disablePreview() const = 0;
    virtual QString dockColor() const = 0;

    virtual QMap<QString, QString> windowTagNames() const = 0;
    virtual void setWindowTagNames(const QMap<QString, QString>& names) = 0;
    virtual QMap<QString, QString> windowTagColors() const = 0;
    virtual void setWindowTagColors(const QMap<QString, QString>& colors) = 0;

    virtual QMap<QString, QString> appOrdersCache() const = 0;
    virtual void setAppOrdersCache(const QMap<QString, QString>& cache) = 0;
    virtual bool needRestoreOrderRestarted() const = 0;
    virtual void setNeedRestoreOrderRestarted(bool value) = 0;

    // Announces a model change to the views: stamps the update time and
    // sends the change notice.
    virtual void publish() = 0;
};

// Plain values, for tests and for running the model without stored settings.
class InMemoryModelSettings final : public ModelSettings {
public:
    bool replaceFinderValue = false;
    bool feishuMultipleTask = true;
    bool previewDisabled = false;
    QString dockColorValue = QStringLiteral("00cec9");
    QMap<QString, QString> tagNames;
    QMap<QString, QString> tagColors;
    QMap<QString, QString> ordersCache;
    bool restoreOrders = false;
    int publishCount = 0;

    bool replaceFinder() const override { return replaceFinderValue; }
    bool enableFeishuMultipleTask() const override { return feishuMultipleTask; }
    bool disablePreview() const override { return previewDisabled; }
    QString dockColor() const override { return dockColorValue; }
    QMap<QString, QString> windowTagNames() const override { return tagNames; }
    void setWindowTagNames(const QMap<QString, QString>& names) override { tagNames = names; }
    QMap<QString, QString> windowTagColors() const override { return tagColors; }
    void setWindowTagColors(const QMap<QString, QString>& colors) override { tagColors = colors; }
    QMap<QString, QString> appOrdersCache() const override { return ordersCache; }
    void setAppOrdersCache(const QMap<QString, QString>& cache) override { ordersCache = cache; }
    bool needRestoreOrderRestarted() const override { return restoreOrders; }
    void setNeedRestoreOrderRestarted(bool value) override { restoreOrders = value; }
    void publish() override { ++publishCount; }
};
