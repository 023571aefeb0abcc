#pragma once

#include <QTimer>
#include <QWidget>

#include <memory>

class GlobalSkinner;
class PictureBox;
class QLabel;
class Skin;
class Skinner;
struct Branding;

// The first window. At load it fills the branding, starts skinning when the
// branding asks for it, and starts m_showTimer; on the timer's 75th tick it asks
// for the main window and hides itself. It stays alive (hidden) and keeps the
// skin, which every other skinned window uses, until shut-down.
class SplashWindow : public QWidget
{
    Q_OBJECT

public:
    static constexpr int ticksBeforeMainWindow = 75;

    // branding: filled here from shippedDataDir (applyBranding).
    // globalSkinner: attached and switched on when useSkin is on.
    // tickIntervalMs: m_showTimer's interval; 2 in the program, shorter in tests.
    SplashWindow(Branding &branding, GlobalSkinner &globalSkinner, const QString &shippedDataDir,
                 int tickIntervalMs = 2, QWidget *parent = nullptr);
    ~SplashWindow() override;

    // The skin (the skin control "skn") and the steps that apply it to other
    // windows; both null when useSkin is off.
    const Skin *skinObject() const { return m_skin; }
    const Skinner *skinner() const { return m_skinner.get(); }

signals:
    // The 75th tick: create and show the main window now.
    void mainWindowRequested();

private:
    void onTimer2();

    PictureBox *m_picture;
    QLabel *lblCredit;
    QTimer m_showTimer;
    qint16 intTemp = 0;
    Skin *m_skin = nullptr;
    std::unique_ptr<Skinner> m_skinner;
};
