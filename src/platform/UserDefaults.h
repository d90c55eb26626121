#pragma once

#include "platform/Date.h"
#include "platform/NotificationCenter.h"

#include <QByteArray>
#include <QHash>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

Q_DECLARE_METATYPE(nimbrel::Date)

namespace nimbrel {

// The program's preferences: typed values kept with their types. Stored values are
// QVariants of exactly these types: bool, qint64, double, QString, QByteArray, Date,
// QVariantList and QVariantMap (lists and maps nest the same types).
// Typed readers answer nullopt when the key is missing OR holds another type; callers
// decide the default (a wrong-typed value reads as missing).
class UserDefaults {
  public:
    virtual ~UserDefaults() = default;

    virtual QVariant object(const QString& key) const = 0;
    // Writes at once. An invalid QVariant removes the key.
    virtual void set(const QString& key, const QVariant& value) = 0;
    virtual void remove(const QString& key) = 0;
    virtual QStringList keys() const = 0;
    // The keys that begin with `prefix`, in order; costs what they are, not every key.
    virtual QStringList keysStartingWith(const QString& prefix) const = 0;
    // Whether everything written so far is safely stored.
    virtual bool synchronize() = 0;

    // Called after `key` changes (set or removed), on the main thread.
    [[nodiscard]] virtual ObserverToken observe(const QString& key, std::function<void()> onChange) = 0;

    bool contains(const QString& key) const { return object(key).isValid(); }

    // A number that is new after every set or removal of `key` and differs between two defaults
    // objects (numbers are never reused in the process), so a reader that remembers it knows
    // whether the value changed without comparing values.
    quint64 generation(const QString& key) const;

    std::optional<bool> boolValue(const QString& key) const;
    std::optional<qint64> integerValue(const QString& key) const;
    // Integers read as doubles too (a number is a number).
    std::optional<double> doubleValue(const QString& key) const;
    std::optional<QString> stringValue(const QString& key) const;
    std::optional<QByteArray> dataValue(const QString& key) const;
    std::optional<Date> dateValue(const QString& key) const;
    std::optional<QVariantList> arrayValue(const QString& key) const;
    // An array whose members are all strings.
    std::optional<QStringList> stringArrayValue(const QString& key) const;
    std::optional<QVariantMap> dictionaryValue(const QString& key) const;

    void setBool(const QString& key, bool v) { set(key, QVariant(v)); }
    void setInteger(const QString& key, qint64 v) { set(key, QVariant(v)); }
    void setDouble(const QString& key, double v) { set(key, QVariant(v)); }
    void setString(const QString& key, const QString& v) { set(key, QVariant(v)); }
    void setData(const QString& key, const QByteArray& v) { set(key, QVariant(v)); }
    void setDate(const QString& key, Date v) { set(key, QVariant::fromValue(v)); }
    void setStringArray(const QString& key, const QStringList& v);

  protected:
    UserDefaults();
    // Implementations call it for every set or removal of `key`, before its observers run.
    void noteChanged(const QString& key);

  private:
    // The generation of keys never changed in this object: the object's own.
    quint64 initialGeneration_;
    QHash<QString, quint64> generations_;
};

// Whether two stored values are the same value, for every value: a number that is not a number
// (a NaN double or date, also inside a list or a dictionary) is the same as itself here, though
// never under ==.
bool sameStoredValue(const QVariant& a, const QVariant& b);

// The keys of `values` that begin with `prefix`, in order.
QStringList keysStartingWith(const QVariantMap& values, const QString& prefix);

// Values only in memory; for tests and the scenario runner.
class InMemoryUserDefaults : public UserDefaults {
  public:
    QVariant object(const QString& key) const override;
    void set(const QString& key, const QVariant& value) override;
    void remove(const QString& key) override;
    QStringList keys() const override;
    QStringList keysStartingWith(const QString& prefix) const override {
        return nimbrel::keysStartingWith(values_, prefix);
    }
    bool synchronize() override { return !failSynchronize_; }
    ObserverToken observe(const QString& key, std::function<void()> onChange) override;

    void setFailSynchronize(bool fail) { failSynchronize_ = fail; }

  protected:
    void notify(const QString& key);
    QVariantMap values_;

  private:
    NotificationCenter changes_;
    bool failSynchronize_ = false;
};

} // namespace nimbrel
