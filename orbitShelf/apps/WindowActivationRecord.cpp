#include "apps/WindowActivationRecord.h"

#include "apps/WindowClickTracking.h"

void recordWindowActivation(int32_t windowNumber, const QDateTime& time)
{
    auto& order = windowClickOrder();
    if (!order.empty() && order.back().windowNum == windowNumber)
        return;
    appendWindowClick(WindowClickedOrder { windowNumber, time });
}
