#pragma once

// What the whole kit shares: its resource bundle and localized texts, its
// log category, the exceptions that mark programming errors, and equality
// between instances of related classes.
#include <QImage>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QString>
#include <QStringList>

#include <optional>
#include <stdexcept>

Q_DECLARE_LOGGING_CATEGORY(lcKeyComboKit)

// Programming errors of a caller. Bad input to a transformer or a factory is
// never one of these: it yields no value and a "#Error" line.
class KCException : public std::logic_error {
public:
    using std::logic_error::logic_error;
    QString reason() const { return QString::fromUtf8(what()); }
};
class KCInvalidArgumentException : public KCException {
public:
    using KCException::KCException;
};
class KCInternalInconsistencyException : public KCException {
public:
    using KCException::KCException;
};
// A failed precondition; carries the source it was reported from.
class KCAssertionFailure : public KCException {
public:
    KCAssertionFailure(const QString& description, const char* source, int line);
    QString description;
    QString source;
    int line;
};
class KCBundleNotFoundException : public KCInternalInconsistencyException {
public:
    using KCInternalInconsistencyException::KCInternalInconsistencyException;
};

inline const QString kcBundleName = QStringLiteral("KeyComboKit_KeyComboKit");

// An opened resource bundle: a folder holding "Info.json" (with "version")
// and the string table "KeyComboKit.json".
struct KCBundle {
    QString path;
    QJsonObject info;
    QString version() const;
};

// The folders searched for the bundle, in order: the application's resource
// folder, the kit's own resources (compiled into the library), the
// application's own folder.
QStringList KCResourceBundleCandidates();
// Tests put other folders in place of the three; nullopt restores them.
void KCSetResourceBundleCandidates(std::optional<QStringList> folders);

// Throws KCBundleNotFoundException when no candidate holds the bundle. The
// search runs on every call, so a bundle put in place later is found.
KCBundle KCResourceBundle();
// The text for the key in the user's language; a key missing from the
// table reads as itself.
QString KCLocalizedString(const QString& key);
QImage KCImageNamed(const QString& name);

// Names one operation in the log, like an activity in a trace.
class KCActivity final {
public:
    explicit KCActivity(const char* name);
};

// A class of the kit's value hierarchies, with its base class.
struct KCClass {
    const char* name;
    const KCClass* super;
    bool isSubclassOf(const KCClass& other) const;
};

// Root of the kit's value classes that compare across a class hierarchy.
class KCObject {
public:
    virtual ~KCObject() = default;
    virtual const KCClass& kcClass() const = 0;
    // The class whose equality test this object runs: a subclass that does
    // not override the test keeps its base's owner.
    virtual const KCClass& equalityOwner() const = 0;
    bool isKindOf(const KCClass& c) const { return kcClass().isSubclassOf(c); }
};

// Equality of a and b through the test of the more derived one; siblings
// compare only when both inherit the same test from a common ancestor.
template <class T>
bool KC_isEqual(const T& a, const KCObject* b, bool (T::*test)(const T&) const, const KCClass& ancestor)
{
    if (b == &a)
        return true;
    if (!b)
        return false;
    const auto* other = dynamic_cast<const T*>(b);
    if (a.isKindOf(b->kcClass()))
        return other && (a.*test)(*other);
    if (b->isKindOf(a.kcClass()))
        return other && (other->*test)(a);
    if (!b->isKindOf(ancestor))
        return false;
    if (!a.isKindOf(ancestor))
        throw KCAssertionFailure(
            QStringLiteral("Receiver must be an instance of the specified ancestor."), "KCCommon", __LINE__);
    if (&a.equalityOwner() != &b->equalityOwner())
        return false;
    return other && (a.*test)(*other);
}
