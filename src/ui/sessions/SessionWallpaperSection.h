#pragma once

#include <QObject>
#include <QVariantList>

namespace nimbrel {

class SessionEditorContext;

// The editor's wallpaper card: the sync switch and one row per target with its picture's name.
class SessionWallpaperSection : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool sync READ sync WRITE setSync NOTIFY changed)
    Q_PROPERTY(QString description READ description NOTIFY changed)
    // {"title", "subtitle", "buttonTitle"}, one per row, in order.
    Q_PROPERTY(QVariantList rows READ rows NOTIFY changed)
  public:
    explicit SessionWallpaperSection(SessionEditorContext& context, QObject* parent = nullptr);

    bool sync() const;
    void setSync(bool on);
    QString description() const;
    QVariantList rows() const;

    // Opens the file chooser for the row's target; a confirmed image replaces that target's picture.
    Q_INVOKABLE void chooseWallpaper(int row);

  signals:
    void changed();

  private:
    int screenCount() const;

    SessionEditorContext& context_;
};

} // namespace nimbrel
