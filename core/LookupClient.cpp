#include "core/LookupClient.h"

LookupClient::LookupClient(LookupService &service, QObject *parent)
    : QObject(parent)
    , m_service(&service)
{
}

LookupClient::~LookupClient()
{
    cancelAll();
}

void LookupClient::submit(const LookupRequest &request, qint64 order)
{
    if (!m_service)
        return;
    m_service->submit(this, request, order < 0 ? m_nextOrder : order);
    m_nextOrder = qMax(m_nextOrder, order) + 1;
}

void LookupClient::cancelAll()
{
    if (m_service)
        m_service->drop(this);
}
