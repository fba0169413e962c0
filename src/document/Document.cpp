#include "document/Document.h"

namespace {

const KindInfo kKinds[] = {
    {DocumentKind::Proposal, u'p', "PROPOSAL"},
    {DocumentKind::Acknowledgement, u'P', "Acknowledgement"},
    {DocumentKind::Invoice, u'i', "INVOICE"},
    {DocumentKind::Receipt, u'I', "Receipt"},
};

}  // namespace

const KindInfo& kindInfo(DocumentKind kind) {
    return kKinds[static_cast<int>(kind)];
}

std::optional<DocumentKind> kindFromCode(const QString& code) {
    if (code.size() != 1) return std::nullopt;
    for (const KindInfo& k : kKinds) {
        if (code.at(0) == QChar(k.code)) return k.kind;
    }
    return std::nullopt;
}

