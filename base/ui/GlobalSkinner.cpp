#include "base/ui/GlobalSkinner.h"

#include "base/ui/Skin.h"
#include "base/ui/Skinner.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QProgressDialog>

namespace {

bool isStandardDialog(QObject *object)
{
    return qobject_cast<QMessageBox *>(object) || qobject_cast<QFileDialog *>(object) ||
           qobject_cast<QInputDialog *>(object) || qobject_cast<QProgressDialog *>(object);
}

} // namespace

GlobalSkinner::GlobalSkinner(QObject *parent)
    : QObject(parent)
{
}

GlobalSkinner::~GlobalSkinner()
{
    switchOff();
}

void GlobalSkinner::attach(const Skin &skin)
{
    m_skin = &skin;
}

const Skin *GlobalSkinner::attachedSkin() const
{
    return m_skin;
}

void GlobalSkinner::switchOn()
{
    if (m_on || !m_skin || !QCoreApplication::instance())
        return;
    QCoreApplication::instance()->installEventFilter(this);
    m_on = true;
}

void GlobalSkinner::switchOff()
{
    if (!m_on)
        return;
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
    m_on = false;
}

bool GlobalSkinner::eventFilter(QObject *watched, QEvent *event)
{
    // Show arrives before the dialog sizes itself for the screen, so the
    // skin's style sheet is in place when it does.
    if (event->type() == QEvent::Show && m_skin && isStandardDialog(watched)) {
        auto *dialog = static_cast<QWidget *>(watched);
        if (dialog->isWindow() && !dialog->property("skinWindow").toBool())
            Skinner(*m_skin).applySkin(dialog);
    }
    return false;
}
