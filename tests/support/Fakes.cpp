#include "support/Fakes.h"

MsgButton FakePrompter::message(MsgIcon icon, MsgButtons buttons, MsgButton defaultButton,
                                const QString& title, const QString& text) {
    asked.append({icon, buttons, defaultButton, title, text});
    if (!answers.isEmpty()) return answers.takeFirst();
    return defaultButton;
}

int FakePrompter::countTitled(const QString& title) const {
    int n = 0;
    for (const AskedMessage& m : asked) n += m.title == title ? 1 : 0;
    return n;
}

const Formats& usFormats() {
    static const Formats f(QLocale(QLocale::English, QLocale::UnitedStates));
    return f;
}

TestApp::TestApp(const QString& documentsFolder, QDate today) : clock(today) {
    Application::Seams seams;
    seams.prompter = &prompter;
    seams.desktop = &desktop;
    seams.clock = &clock;
    seams.formats = &usFormats();
    seams.retry.sleep = [this](std::chrono::milliseconds ms) { sleeps.append(ms); };
    app = std::make_unique<Application>(seams, documentsFolder);
}
