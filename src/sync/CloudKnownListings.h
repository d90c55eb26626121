#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

#include <map>

namespace nimbrel {

class UserDefaults;

// Every id this Mac has seen in a list of the sync registry, or added to it, by list name. Kept in
// user defaults under keyPrefix and the list's name, so that a registry written anew, after a
// restart too, lists all of them, and a registry written anew elsewhere without some of them gets
// them back.
class CloudKnownListings {
  public:
    static inline const QString keyPrefix = QStringLiteral("Nimbrel.cloud.knownRegistryIDs.");

    explicit CloudKnownListings(UserDefaults* defaults) : defaults_(defaults) {}

    QStringList ids(const QString& listName);
    // The list as the registry holds it: its new ids become known, and the result is the known
    // ids it lacks.
    QStringList read(const QString& listName, const QStringList& listed);
    // Stored again only when one of `ids` is new.
    void add(const QString& listName, const QStringList& ids);

  private:
    struct Known {
        QStringList list;
        QSet<QString> set;
    };
    Known& known(const QString& listName);

    UserDefaults* defaults_;
    std::map<QString, Known> loaded_;
};

} // namespace nimbrel
