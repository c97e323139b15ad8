#pragma once

// A control that shows one shortcut and records a new one: a click or Space
// starts recording, the next acceptable combination ends it with that
// value, Escape keeps the old one and Delete clears it. While it records,
// the shared global monitor's hot keys are paused so the keys reach it.
#include "KeyComboKit/KCShortcut.h"

#include <QPainterPath>
#include <QPointer>
#include <QSettings>
#include <QWidget>

#include <functional>
#include <memory>

class KCObservable;
class KCRecorderControlStyle;
struct KCStyleGuides;
class KCRecorderControl;
class KCValueTransformer;
class QWindow;

// Every callback is optional; a missing one takes the answer noted.
struct KCRecorderControlDelegate {
    // Missing: recording may begin.
    std::function<bool(KCRecorderControl*)> shouldBeginRecording;
    std::function<void(KCRecorderControl*)> didBeginRecording;
    // Asked only for flags the policy would reject; missing: rejected.
    std::function<bool(KCRecorderControl*, quint64 flags, quint16 keyCode)>
        shouldUnconditionallyAllowModifierFlags;
    // Missing: accepted.
    std::function<bool(KCRecorderControl*, const KCShortcutRef&)> canRecordShortcut;
    std::function<void(KCRecorderControl*)> didEndRecording;
};

class KCRecorderControl : public QWidget {
    Q_OBJECT
public:
    // Which button a mouse press began on.
    enum TrackingButton { noButton = -1, cancelButton = 0, clearButton = 1, mainButton = 2 };

    explicit KCRecorderControl(QWidget* parent = nullptr);
    ~KCRecorderControl() override;

    // The value: a shortcut, or its dictionary once compatibility mode is
    // on. An invalid or null variant clears it; a dictionary on an empty
    // control turns compatibility mode on.
    QVariant objectValue() const;
    void setObjectValue(const QVariant& value);
    KCShortcutRef shortcut() const { return m_value; }
    void setShortcut(const KCShortcutRef& shortcut);
    QVariantMap dictionaryValue() const;
    void setDictionaryValue(const QVariantMap& dictionary);
    // "⇧⌘K"; empty with no value.
    QString stringValue() const;
    void setStringValue(const QString& keyEquivalent);
    bool isCompatibilityModeEnabled() const { return m_compatibilityMode; }

    // The value follows the key and is written back to it when the user
    // records. A reversible transformer turns the control's value into the
    // stored one (and back).
    void bindValue(KCObservable* object, const QString& key, const KCValueTransformer* transformer = nullptr);
    void bindValue(QSettings* settings, const QString& key, const KCValueTransformer* transformer = nullptr);
    void unbindValue();

    bool beginRecording();
    void endRecording();
    void clearAndEndRecording();
    void endRecordingWithObjectValue(const KCShortcutRef& value);
    bool isRecording() const { return m_recording; }

    // The modifier policy; throws KCInvalidArgumentException for a policy
    // that requires flags it does not allow.
    void setAllowedModifierFlags(quint64 allowed, quint64 required, bool allowsEmpty);
    quint64 allowedModifierFlags() const { return m_allowed; }
    quint64 requiredModifierFlags() const { return m_required; }
    bool allowsEmptyModifierFlags() const { return m_allowsEmpty; }
    bool areModifierFlagsAllowed(quint64 flags, quint16 keyCode) const;
    bool areModifierFlagsValid(quint64 flags, quint16 keyCode) const;
    bool canEndRecordingWithObjectValue(const KCShortcutRef& shortcut) const;

    // Key input in the kit's terms; the Qt handlers call these.
    bool canCaptureKeyEvent() const;
    bool performKeyEquivalent(const KCKeyEvent& event);
    void flagsChanged(const KCKeyEvent& event);

    bool drawsASCIIEquivalentOfShortcut = true;
    bool allowsEscapeToCancelRecording = true;
    bool allowsDeleteToClearShortcutAndEndRecording = true;
    bool allowsModifierFlagsOnlyShortcut = false;
    bool pausesGlobalShortcutMonitorWhileRecording = true;
    bool stringValueRespectsUserInterfaceLayoutDirection = false;
    qint64 tag = 0;

    void setRefusesFirstResponder(bool refuses);
    bool refusesFirstResponder() const { return m_refusesFirstResponder; }
    bool acceptsFirstResponder() const { return isEnabled() && !m_refusesFirstResponder; }
    // Tab reaches the control only with full keyboard access.
    bool canBecomeKeyView() const { return focusPolicy() & Qt::TabFocus; }
    static void setFullKeyboardAccess(bool on);
    static bool fullKeyboardAccess();

    void setDelegate(const KCRecorderControlDelegate& delegate) { m_delegate = delegate; }

    quint64 lastSeenModifierFlags() const { return m_lastSeenModifierFlags; }
    int mouseTrackingButtonTag() const { return m_trackingButton; }
    // What the label shows right now.
    QString drawingLabel() const;

    // The style, made on first use; null when its resources can't be read
    // (the control then draws a plain look of its own).
    KCRecorderControlStyle* style();
    KCStyleGuides guides();

    // Where the label's text sits: from the bottom of the control, and from
    // the top of its alignment guide (both 0 without a style).
    qreal baselineOffsetFromBottom();
    qreal firstBaselineOffsetFromTop();
    // The focus ring, drawn only while the control is enabled and has the
    // keyboard focus; an empty path and rectangle otherwise.
    QPainterPath focusRingShape();
    QRectF focusRingMaskBounds();

    // Areas of the two small buttons, empty while idle.
    QRect cancelButtonRect() const;
    QRect clearButtonRect() const;
    // The tooltip of the small button at the point; empty elsewhere.
    QString buttonToolTipAt(QPoint at) const;

    // What assistive applications read and do; the control is a button.
    QString accessibilityLabel() const;
    QString accessibilityValue() const;
    QString accessibilityRoleDescription() const;
    bool accessibilityPerformPress() { return beginRecording(); }
    bool accessibilityPerformCancel();
    bool accessibilityPerformDelete();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The system beep; every refusal ends in it.
    virtual void playAlert();

signals:
    // The control's action: sent each time recording ends.
    void activated();
    void objectValueChanged();
    void recordingChanged(bool recording);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void storeValue(const KCShortcutRef& value, bool propagate);
    void propagateValue();
    void readBoundValue();
    void updateToolTip();
    bool isFirstResponder() const;
    void updateFocusPolicy();
    void scheduleAppearanceNotice();
    void paintStyled(QPainter& p, KCRecorderControlStyle& style);

    KCShortcutRef m_value;
    bool m_recording = false;
    bool m_compatibilityMode = false;
    quint64 m_allowed = 0x1E0000;
    quint64 m_required = 0;
    bool m_allowsEmpty = false;
    bool m_refusesFirstResponder = false;
    int m_trackingButton = noButton;
    quint64 m_lastSeenModifierFlags = 0;
    bool m_didPauseGlobalShortcutMonitor = false;
    KCRecorderControlDelegate m_delegate;

    struct Binding {
        QPointer<KCObservable> object;
        // Guarded: settings deleted before the control unbind themselves.
        QPointer<QSettings> settings;
        QString key;
        const KCValueTransformer* transformer = nullptr;
        int observerToken = 0;
    };
    Binding m_binding;
    bool m_writingBinding = false;
    std::unique_ptr<KCRecorderControlStyle> m_style;
    bool m_styleFailed = false;
    bool m_appearanceNoticePending = false;
    QPointer<QWindow> m_observedWindow;
    QMetaObject::Connection m_screenChanged;
};
