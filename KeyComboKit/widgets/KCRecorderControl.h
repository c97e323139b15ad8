#pragma once

// A control that shows one shortcut and records a new one: a click or Space
// starts recording, the next acceptable combination ends it with that
// value, Escape keeps the old one and Delete clears it. While it records,
// the shared global monitor's hot keys are paused so the keys reach it.
#include "KeyComboKit/KCShortcut.h"

#include <QPainterPath>
#include <QPointer>
#include <QSettings>
#include <QTextLayout>
#include <QWidget>

#include <functional>
#include <memory>

class KCObservable;
class KCRecorderControlStyle;
struct KCStyleGuides;
class KCRecorderControl;
class KCValueTransformer;
struct KCValidationError;
class QTimer;
class QWindow;

// Text with the formats of its ranges, as a text view takes it.
struct KCAttributedString {
    QString string;
    QList<QTextLayout::FormatRange> attributes;
    bool operator==(const KCAttributedString& other) const
    {
        return string == other.string && attributes == other.attributes;
    }
};

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
    // "⇧⌘K"; empty with no value. Right to left ("K⌘⇧") only when
    // stringValueRespectsUserInterfaceLayoutDirection is on.
    QString stringValue() const;
    void setStringValue(const QString& keyEquivalent);
    bool isCompatibilityModeEnabled() const { return m_compatibilityMode; }
    // The value as a form's generic editor reads and writes it: the same as
    // objectValue, but a controller's "no selection / multiple values / not
    // applicable" marker is a programming error here (throws
    // KCInternalInconsistencyException), as the control can show none.
    QVariant value() const { return objectValue(); }
    void setValue(const QVariant& value);
    // stringValue without attributes; setting reads its plain text.
    KCAttributedString attributedStringValue() const;
    void setAttributedStringValue(const KCAttributedString& value);

    // The value follows the key and is written back to it when the user
    // records. A reversible transformer turns the control's value into the
    // stored one (and back). A bound object with the invokable methods
    // objectDidBeginEditing(QObject*) and objectDidEndEditing(QObject*)
    // hears when a recording begins and ends (a form that commits or
    // discards its open editors keeps count with them).
    void bindValue(KCObservable* object, const QString& key, const KCValueTransformer* transformer = nullptr);
    void bindValue(QSettings* settings, const QString& key, const KCValueTransformer* transformer = nullptr);
    void unbindValue();

    bool beginRecording();
    void endRecording();
    void clearAndEndRecording();
    void endRecordingWithObjectValue(const KCShortcutRef& value);
    bool isRecording() const { return m_recording; }

    // The editor protocol of forms. A recording holds no half-made value
    // (an accepted combination ends it at once), so committing and
    // discarding both end an open recording keeping the stored value.
    bool commitEditing();
    // Never fails; `error` is left alone.
    bool commitEditingAndReturnError(KCValidationError* error = nullptr);
    // Commits, then calls didCommit(control, committed, contextInfo) once on
    // the next event-loop turn, unless `delegate` is gone by then (the
    // control is null if it went first).
    void commitEditingWithDelegate(QObject* delegate,
        std::function<void(KCRecorderControl*, bool committed, void* contextInfo)> didCommit,
        void* contextInfo = nullptr);
    void discardEditing();
    // Ends an open recording; always false (nothing was committed).
    bool abortEditing();
    // Back to an idle control for a list or table that reuses it.
    void prepareForReuse();

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
    // Installs a copy of the style (its identifier and preferred
    // components), or the default style for null; the control's own style
    // changes nothing.
    void setStyle(const KCRecorderControlStyle* style);
    KCStyleGuides guides();

    // The direction the control lays out in: its own when set on it, else
    // the style's preferred one when it has one, else the parent's.
    Qt::LayoutDirection userInterfaceLayoutDirection() const;

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
    void installStyle(std::unique_ptr<KCRecorderControlStyle> style);
    void applyPreferredAppearance(quint64 appearance);
    void tellBoundObject(const char* method);
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
    bool m_lazilyInitializingStyle = false;
    // The palette this control set for its style's preferred appearance
    // (undone when a style without one comes), never the caller's own.
    bool m_ownsAppearancePalette = false;
    QTimer* m_appearanceNotice = nullptr;
    QPointer<QWindow> m_observedWindow;
    QMetaObject::Connection m_screenChanged;
};
