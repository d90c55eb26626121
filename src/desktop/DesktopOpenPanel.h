#pragma once

#include "platform/simulated/OpenPanelBrowser.h"

#include <QObject>
#include <QVariantList>

#include <optional>

namespace nimbrel {

class ModalSession;

// The simulated Mac's open panel as the desktop window draws it (OpenPanelSheet.qml): its
// title, the sidebar's places, the folder shown with its rows, and the Cancel and prompt
// buttons. `run` is what the Mac's alerts call: it shows the panel and blocks, as a modal
// panel does, running the event loop until a person answers (or the program quits, which
// cancels it).
class DesktopOpenPanel : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool active READ active NOTIFY changed)
    Q_PROPERTY(QString title READ title NOTIFY changed)
    Q_PROPERTY(QString message READ message NOTIFY changed)
    Q_PROPERTY(QString prompt READ prompt NOTIFY changed)
    Q_PROPERTY(QString folderName READ folderName NOTIFY changed)
    Q_PROPERTY(QString folderPath READ folderPath NOTIFY changed)
    Q_PROPERTY(bool canGoUp READ canGoUp NOTIFY changed)
    Q_PROPERTY(QVariantList places READ places NOTIFY changed)
    Q_PROPERTY(QVariantList items READ items NOTIFY changed)
    Q_PROPERTY(QString selectedPath READ selectedPath NOTIFY changed)
    Q_PROPERTY(bool canConfirm READ canConfirm NOTIFY changed)
  public:
    explicit DesktopOpenPanel(const FileSystem& disk, QObject* parent = nullptr);
    ~DesktopOpenPanel() override;

    // Shows the panel and waits for its answer: the chosen paths, or none when cancelled.
    // One panel at a time: a request while one is shown is cancelled at once.
    std::optional<QStringList> run(const OpenPanelRequest& request);

    bool active() const { return browser_.has_value(); }
    QString title() const;
    QString message() const;
    QString prompt() const;
    QString folderName() const;
    QString folderPath() const;
    bool canGoUp() const;
    QVariantList places() const;
    QVariantList items() const;
    QString selectedPath() const;
    bool canConfirm() const;

    // A click on a row selects it; a double click enters a folder or chooses a file.
    Q_INVOKABLE void select(const QString& path);
    Q_INVOKABLE void open(const QString& path);
    Q_INVOKABLE void goTo(const QString& folder);
    Q_INVOKABLE void goUp();
    // The prompt button, and Cancel.
    Q_INVOKABLE void confirm();
    Q_INVOKABLE void cancel();

  signals:
    void changed();

  private:
    void finish(std::optional<QStringList> answer);

    const FileSystem& disk_;
    std::optional<sim::OpenPanelBrowser> browser_;
    std::optional<QStringList> answer_;
    ModalSession* session_ = nullptr; // while `run` waits
};

} // namespace nimbrel
