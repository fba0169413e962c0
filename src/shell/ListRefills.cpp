#include "shell/ListRefills.h"

void ListRefills::refill(List list) {
    if (m_depth > 0 && m_done[list] && !m_stale[list]) return;
    m_done[list] = m_depth > 0;
    m_stale[list] = false;
    if (m_fill[list]) m_fill[list]();
}

ListRefills::Command::~Command() {
    if (--m_lists.m_depth > 0) return;
    m_lists.m_done = {};
    m_lists.m_stale = {};
    for (const auto& done : m_lists.m_onEnd) done();
}
