#pragma once

// The switcher's cycle, from the Tab press to the activated window, in one
// place: whether the switcher's modifier is held, the 20 ms decision between
// the quick switch and the switcher, the keyboard grab, the steps, the one
// commit and the end. Everything that moves the cycle comes in through
// begin / step / commit / end and the modifier rule below; the bus events
// of SwitcherEvents.h are sent from here only. Main thread only.

#include <QString>

#include <deque>
#include <vector>

class SwitcherCycle final {
public:
    // Its value is what the rest of the program reads as the switcher's
    // modifier state: -1 no cycle, 1 the modifier is held, 0 it was let go.
    enum class State : int { Reset = -1, Released = 0, Held = 1 };

    static SwitcherCycle& shared();

    State state() const { return m_state; }
    // True from begin() until end().
    bool open() const { return m_open; }

    // The modifier rule, fed by the bar's desktop-wide monitor: a press of
    // either key of the switcher's modifier holds it, a release lets it go.
    // A release while the switcher is up commits 0.1 s later, unless the
    // grab's own report of it came first. `serverTime` is the desktop's time
    // of the change (0: unknown).
    void modifierChanged(quint16 keyCode, bool pressed, quint32 serverTime = 0);
    // The Tab hot key went down: the decision follows 20 ms later
    // (decideTab).
    void tabPressed();
    // Quick switch, switcher, or one more step when the switcher is up by
    // now. A modifier let go after this Tab's press means a quick switch,
    // even when the next tap has pressed it again meanwhile.
    void decideTab();

    // Takes the keyboard and shows the switcher; false when Tab is not held
    // by us or another program holds the keyboard.
    bool begin();
    // A key let go while the switcher is up.
    void step(quint16 keyCode);
    // A commit key changed while the switcher is up (`keyCode`), or the bar's
    // monitor saw the modifier let go (1). The release of the switcher's own
    // modifier commits once per cycle, whichever of the two reports comes
    // first, and ends the cycle.
    void commit(quint16 keyCode);
    // Closes the switcher, gives the keyboard back and registers Tab again;
    // with no switcher up it only resets the state.
    void end();
    // An activation or a click elsewhere: the modifier is no longer counted
    // as held for the next Tab.
    void forgetModifier();
    // Whether a click released at the desktop's time `clickTime` came before
    // the press that holds the modifier now: clicks and keys are read over
    // different connections, and a busy main thread may read a click after
    // the Alt+Tab typed after it. Such a click neither lets the modifier go
    // nor ends the cycle. False when either time is unknown.
    bool clickPrecedesHold(quint32 clickTime) const;

    // The cycle that is up, numbered from 1; a delayed commit belongs to it.
    unsigned generation() const { return m_generation; }

    // Back to a closed cycle with nothing pending (tests).
    void resetForTesting();

private:
    void takeModifierRelease(quint16 keyCode, unsigned generation);
    // Asks the keyboard whether the modifier is still down, and lets it go
    // when a release the grab should have reported never came.
    void checkKeyboard(unsigned generation);
    void setState(State state);
    friend void removeSwitcherKeyMonitors();

    State m_state = State::Reset;
    // The desktop's time of the press that made the state Held; 0 unknown.
    quint32 m_heldSince = 0;
    bool m_open = false;
    unsigned m_generation = 0;
    bool m_releaseCommitted = false;
    // Modifier releases seen so far, and the count at each pending Tab.
    unsigned m_releases = 0;
    std::deque<unsigned> m_pendingTabs;
};

inline SwitcherCycle& switcherCycle()
{
    return SwitcherCycle::shared();
}

// -1, 0 or 1, as above.
inline int switcherModifierState()
{
    return int(switcherCycle().state());
}

void removeSwitcherKeyMonitors();

// Whether a modifier key going down or up while the switcher is up commits
// it: the left Command, Option and Control keys, and both keys of the
// modifier `tabOption` (the stored Tab option) names.
bool isSwitcherCommitKey(quint16 keyCode, const QString& tabOption);
// Either key of the modifier `tabOption` names ("option" for any text but
// "alpha", which names none).
bool isSwitcherModifierKey(quint16 keyCode, const QString& tabOption);
// The left and right keys of that modifier; none for "alpha".
std::vector<quint16> switcherModifierKeys(const QString& tabOption);

// Takes the keyboard: key-ups become steps, commit keys commits, key-downs
// reach no window. False when another program holds the keyboard.
bool installSwitcherKeyMonitors();
// Gives the keyboard back and sets the state to 0.
void removeSwitcherKeyMonitors();
bool switcherKeyMonitorsInstalled();
