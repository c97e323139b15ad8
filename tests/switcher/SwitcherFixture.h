#pragma once

#include "tests/activation/ActivationFixture.h"

#include "state/EventManager.h"
#include "state/Queues.h"
#include "platform/HotKeys.h"
#include "platform/fake/FakeHotKeys.h"
#include "platform/fake/FakeServices.h"
#include "switcher/Hotkey.h"
#include "switcher/SwitcherCycle.h"
#include "switcher/SwitcherPopup.h"
#include "tests/support/ManualQueue.h"

namespace orbitshelf::test {

// The activation fixture with scripted hot keys, a virtual clock for the
// shell's delays and a switcher that starts closed.
class SwitcherTest : public ActivationTest {
protected:
    void SetUp() override
    {
        ActivationTest::SetUp();
        queue = std::make_shared<ManualQueue>();
        Queues::useForTesting(queue, queue);
        platform::Services services = platform::fake::services(&fake);
        services.hotKeys = platform::fake::lent(hotKeys);
        platform::install(std::move(services));
        // The bar's monitor feeds the cycle's modifier rule, as the wiring
        // connects it.
        hotKeys.startModifierMonitor();
        QObject::connect(&hotKeys, &platform::HotKeys::modifierChanged, &hotKeys,
            [](quint16 keyCode, bool pressed, quint32 serverTime) {
                switcherCycle().modifierChanged(keyCode, pressed, serverTime);
            });
        resetHotKeysForTesting();
        switcherCycle().resetForTesting();
        // A fresh window sets the switcher content up on its first show.
        delete floatPanel().data();
        AppState::shared().setWindowHotkeyCache({});
        events.clear();
        recordedEvents() = &events;
        // The switcher content replaces these handlers when it sets up, so
        // they record only until the window is first shown.
        for (const char* name : { "onInit", "onDestroy", "onkeyDown", "option" }) {
            EventManager::shared().events.insert(QString::fromLatin1(name), {});
            EventManager::shared().subscribe(QString::fromLatin1(name), [](const Event& event) {
                if (recordedEvents())
                    recordedEvents()->push_back(event.name + QLatin1Char(' ') + event.data.toString());
            });
        }
    }

    void TearDown() override
    {
        recordedEvents() = nullptr;
        switcherCycle().resetForTesting();
        resetHotKeysForTesting();
        platform::install(platform::fake::services(&fake));
        Queues::useForTesting(nullptr, nullptr);
        ActivationTest::TearDown();
    }

    // The switcher's modifier (left Alt) going down or up, as the bar's
    // desktop-wide monitor reports it.
    void holdModifier(quint16 keyCode = 58) { hotKeys.globalModifier(keyCode, true); }
    void releaseModifier(quint16 keyCode = 58) { hotKeys.globalModifier(keyCode, false); }

    // Active registrations as "code/carbon".
    QStringList registered() const
    {
        QStringList list;
        for (const auto& r : hotKeys.active())
            list << QStringLiteral("%1/0x%2").arg(r.keyCode).arg(r.modifiers, 0, 16);
        return list;
    }

    platform::fake::FakeHotKeys hotKeys;
    std::shared_ptr<ManualQueue> queue;
    QStringList events;

private:
    // The bus keeps its handlers for the process; they record into the
    // running test's list only.
    static QStringList*& recordedEvents()
    {
        static QStringList* list = nullptr;
        return list;
    }
};

} // namespace orbitshelf::test
