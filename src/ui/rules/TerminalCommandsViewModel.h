#pragma once

#include "ui/common/KeyedListModel.h"

#include <QObject>

namespace nimbrel {

class RuleEditorViewModel;

// The terminal rule's command list: numbered rows of shell commands, added and removed row by
// row (never below one from the screen), and whether a failing command stops the run.
class TerminalCommandsViewModel : public QObject {
    Q_OBJECT
    // {id, number, placeholder, text} per command, in order (a keyed list: the row being typed
    // in keeps its view).
    Q_PROPERTY(QObject* commands READ commandsModel CONSTANT)
    // Rows offer a remove button only while there are two or more.
    Q_PROPERTY(bool canRemove READ canRemove NOTIFY changed)
    Q_PROPERTY(bool stopOnFirstFailure READ stopOnFirstFailure WRITE setStopOnFirstFailure NOTIFY changed)
    // The editor's motion: rows come and go with its spring.
    Q_PROPERTY(QObject* motion READ motion CONSTANT)
  public:
    explicit TerminalCommandsViewModel(RuleEditorViewModel& editor);

    QObject* commandsModel() { return &commands_; }
    const std::vector<QVariantMap>& commands() const { return commands_.rows(); }
    bool canRemove() const;
    QObject* motion() const;
    bool stopOnFirstFailure() const;
    void setStopOnFirstFailure(bool stop);
    // The row number of a command: its place in the list plus one (1 for an id no row has).
    int numberOf(const QString& id) const;

    Q_INVOKABLE void setCommandText(const QString& id, const QString& text);
    Q_INVOKABLE void addCommand();
    Q_INVOKABLE void removeCommand(const QString& id);

  signals:
    void changed();

  private:
    void refreshRows();

    RuleEditorViewModel& editor_;
    KeyedListModel commands_;
};

} // namespace nimbrel
