#include "core/RegistrarBlockedNotice.h"

void RegistrarBlockedNotice::report(const QString &registrar, const QString &response)
{
    if (m_registrar.isEmpty()) {
        m_registrar = registrar;
        m_response = response;
        emit contentsChanged();
    }
    emit showRequested();
}

void RegistrarBlockedNotice::clear()
{
    m_registrar.clear();
    m_response.clear();
    emit contentsChanged();
}
