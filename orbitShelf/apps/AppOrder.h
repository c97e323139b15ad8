#pragma once

#include <QMap>
#include <QString>

#include <cstdint>
#include <vector>

// Position of each running application in the bar: process id to order
// value, smaller first.
using AppOrders = QMap<int32_t, int>;

// 10 for the first application, then after all others in steps of 5.
int nextAppOrder(const AppOrders& orders);

// Every process id once, by ascending order value; equal values keep the
// lower process id first.
std::vector<int32_t> pidsInAppOrder(const AppOrders& orders);

// Puts `dragged` right after `target`, then renumbers all to 5, 10, 15 ...
// The caller publishes.
void moveAppOrder(AppOrders& orders, int32_t dragged, int32_t target);
// Puts `dragged` right before `target` (so also before the first one), then
// renumbers all to 5, 10, 15 ... Nothing moves when either is unknown.
void moveAppOrderBefore(AppOrders& orders, int32_t dragged, int32_t target);

// The saved form kept across a restart: decimal texts both sides.
QMap<QString, QString> encodeAppOrdersCache(const AppOrders& orders);

// Writes saved orders back over the orders of applications that are running
// now. Entries of applications that are gone, keys that are not process
// ids and values that are not numbers are ignored: a damaged entry never
// takes an application's order away.
void restoreAppOrders(AppOrders& orders, const QMap<QString, QString>& cache);
