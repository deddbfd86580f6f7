#include "PageWatchDevice.h"

namespace marlet {

namespace {

std::string pagesText(int pages) {
    return std::to_string(pages) + (pages == 1 ? " page" : " pages");
}

} // namespace

void PageWatchDevice::beginDocument(const std::string& title) {
    startPage();
    m_target.beginDocument(title);
}

void PageWatchDevice::newPage() {
    if (!m_target.documentOpen()) {
        m_target.newPage();
        return;
    }
    startPage();
    m_target.newPage();
}

// Checked before the page starts: the pages already drawn stay whole.
void PageWatchDevice::startPage() {
    if (m_stop.load())
        throw JobStopped("The job was cancelled after " + pagesText(m_pages), m_pages);
    if (m_limit > 0 && m_pages >= m_limit) {
        if (!m_limitReached || !m_limitReached(m_pages))
            throw JobStopped("The job went past the page limit of " + pagesText(m_limit) +
                                 " and was stopped",
                             m_pages);
        m_limit = 0;
    }
    ++m_pages;
    if (m_started)
        m_started(m_pages);
}

} // namespace marlet
