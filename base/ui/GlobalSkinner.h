#pragma once

#include <QObject>
#include <QPointer>

class Skin;

// The process-wide skinning object: attached to the splash window's skin and
// switched on at start, off at exit. While it is on, the standard dialogs the
// program shows (message boxes, file, input and progress dialogs) take the
// attached skin when they appear, as the program's own skinned windows do.
class GlobalSkinner : public QObject
{
    Q_OBJECT

public:
    explicit GlobalSkinner(QObject *parent = nullptr);
    ~GlobalSkinner() override;

    void attach(const Skin &skin);
    // Without an attached skin, switching on does nothing.
    void switchOn();
    void switchOff();

    bool isOn() const { return m_on; }
    const Skin *attachedSkin() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<const Skin> m_skin;
    bool m_on = false;
};
