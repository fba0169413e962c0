#include <QTest>

class Test_strings : public QObject {
    Q_OBJECT
};

QTEST_MAIN(Test_strings)
#include "test_strings.moc"
