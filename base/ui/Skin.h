#pragma once

#include <QColor>
#include <QObject>
#include <QString>

class QWidget;

// The skin: three control colours and the style sheet of skinned windows,
// read from a skin file:
//
//   ; comment
//   controlBack=#f7f9fc
//   controlText=#14213d
//   pictureBack=#1d3557
//   [StyleSheet]
//   ...Qt style sheet, to the end of the file...
//
// A missing or unreadable file gives a skin with invalid colours and no
// style sheet, which leaves windows in their plain look.
class Skin : public QObject
{
    Q_OBJECT

public:
    explicit Skin(const QString &skinFile, QObject *parent = nullptr);

    bool isLoaded() const { return m_loaded; }
    QColor controlBack() const { return m_controlBack; }
    QColor controlText() const { return m_controlText; }
    QColor pictureBack() const { return m_pictureBack; }
    QString styleSheet() const { return m_styleSheet; }

    // Draws the window with the skin: marks it with the property
    // skinWindow=true (the style sheet's window selector) and sets the style sheet.
    void applyToWindow(QWidget *window) const;

private:
    bool m_loaded = false;
    QColor m_controlBack;
    QColor m_controlText;
    QColor m_pictureBack;
    QString m_styleSheet;
};
