#include "apps/AppOrder.h"

#include <QLoggingCategory>

#include <algorithm>

#include "apps/AppModelLog.h"

int nextAppOrder(const AppOrders& orders)
{
    if (orders.empty())
        return 10;
    return *std::max_element(orders.cbegin(), orders.cend()) + 5;
}

std::vector<int32_t> pidsInAppOrder(const AppOrders& orders)
{
    std::vector<std::pair<int32_t, int>> entries;
    entries.reserve(orders.size());
    for (auto it = orders.cbegin(); it != orders.cend(); ++it)
        entries.emplace_back(it.key(), it.value());
    std::stable_sort(
        entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
    std::vector<int32_t> pids;
    pids.reserve(entries.size());
    for (const auto& [pid, order] : entries)
        pids.push_back(pid);
    return pids;
}

void moveAppOrder(AppOrders& orders, int32_t dragged, int32_t target)
{
    const auto t = orders.find(target);
    const auto d = orders.find(dragged);
    if (t != orders.end() && d != orders.end())
        *d = *t + 1;
    int k = 0;
    for (int32_t pid : pidsInAppOrder(orders))
        orders[pid] = 5 * ++k;
}

void moveAppOrderBefore(AppOrders& orders, int32_t dragged, int32_t target)
{
    if (dragged == target || !orders.contains(dragged) || !orders.contains(target))
        return;
    std::vector<int32_t> pids = pidsInAppOrder(orders);
    pids.erase(std::find(pids.begin(), pids.end(), dragged));
    pids.insert(std::find(pids.begin(), pids.end(), target), dragged);
    int k = 0;
    for (int32_t pid : pids)
        orders[pid] = 5 * ++k;
}

QMap<QString, QString> encodeAppOrdersCache(const AppOrders& orders)
{
    QMap<QString, QString> cache;
    for (auto it = orders.cbegin(); it != orders.cend(); ++it)
        cache.insert(QString::number(it.key()), QString::number(it.value()));
    return cache;
}

void restoreAppOrders(AppOrders& orders, const QMap<QString, QString>& cache)
{
    for (auto it = cache.constBegin(); it != cache.constEnd(); ++it) {
        bool pidOk = false;
        const int32_t pid = it.key().toInt(&pidOk);
        if (it.key().isEmpty() || !pidOk)
            continue;
        const auto entry = orders.find(pid);
        if (entry == orders.end())
            continue;
        bool orderOk = false;
        const int order = it.value().toInt(&orderOk);
        if (!orderOk) {
            qCWarning(lcAppModel) << "ignoring saved order" << it.value() << "of process" << pid;
            continue;
        }
        *entry = order;
    }
}
