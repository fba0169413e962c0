#include <QTest>

class Test_import : public QObject {
    Q_OBJECT
};

QTEST_MAIN(Test_import)
#include "test_import.moc"
