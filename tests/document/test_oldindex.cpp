#include <QTest>

class Test_oldindex : public QObject {
    Q_OBJECT
};

QTEST_MAIN(Test_oldindex)
#include "test_oldindex.moc"
