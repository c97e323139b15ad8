#include "state/Alerts.h"

#include <QStringList>

#include <gtest/gtest.h>

TEST(ShowAlert, AnInstalledPresenterGoesBeforeTheDefaultAndWithNeitherItIsOnlyLogged)
{
    QStringList seen;
    setDefaultAlertPresenter([&](const QString& m, const QString&) { seen << "default:" + m; });
    setAlertPresenter([&](const QString& m, const QString& i) { seen << m << i; });
    showAlert("Title", "Details");
    setAlertPresenter({});
    showAlert("Second", "");
    setDefaultAlertPresenter({});
    showAlert("Third", "");
    EXPECT_EQ(seen, QStringList({ "Title", "Details", "default:Second" }));
}
