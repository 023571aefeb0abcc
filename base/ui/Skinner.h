#pragma once

#include <QList>
#include <QOperatingSystemVersion>

class Skin;
class SkinLabelArray;
class QWidget;

// The program's skinning steps for one window, using the skin held by the
// splash window. Windows get a Skinner only while skinning is on; a null
// Skinner means the window keeps its plain look.
class Skinner
{
public:
    // platform: the version isVistaOrLater() asks about.
    explicit Skinner(const Skin &skin, QOperatingSystemVersion platform = QOperatingSystemVersion::current());

    const Skin &skin() const { return *m_skin; }

    // Colours the window's controls by type (push buttons: background; line
    // and text edits, combo boxes, item views: background and text; picture
    // boxes: background), resets the window region on platforms that need it,
    // then gives the window the skin's style sheet. Controls of other windows
    // owned by this one are left alone.
    void applySkin(QWidget *window) const;

    // Gives every plain QLabel of the window (exact class, in the window's
    // child order) a skinned twin: a new element of a template array, with the
    // label's geometry, font, text, alignment, word wrap and visibility, raised
    // above the label, which stays in place. With one template that array is
    // used; with several, the first whose element 0 shares the label's parent,
    // and labels in other containers get no twin. The twin keeps following the
    // label's later moves, resizes, shows and hides (layouts place labels after
    // the twins are made).
    static void skinLabels(QWidget *window, const QList<SkinLabelArray *> &templates);

    bool isVistaOrLater() const { return isVistaOrLater(m_platform); }
    // True exactly for Windows with a major version above 5.
    static bool isVistaOrLater(const QOperatingSystemVersion &platform);

    // Makes the window's region a rectangle from (0, 0) to its frame size in
    // twips, which covers the whole window.
    static void resetWindowRegion(QWidget *window);

private:
    const Skin *m_skin;
    QOperatingSystemVersion m_platform;
};
