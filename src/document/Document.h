#pragma once

#include <QString>
#include <optional>

enum class DocumentKind { Proposal, Acknowledgement, Invoice, Receipt };

struct KindInfo {
    DocumentKind kind;
    char16_t code;          // kind code in files; case matters
    const char* pageTitle;  // title on the printed page
};

const KindInfo& kindInfo(DocumentKind kind);
std::optional<DocumentKind> kindFromCode(const QString& code);

inline const QString kPending = QStringLiteral("(PEND)");

