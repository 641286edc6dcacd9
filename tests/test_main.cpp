#include "test_registry.h"

#ifdef OLV_TEST_GUI
#include <QApplication>
#else
#include <QCoreApplication>
#endif
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// Runs every registered test class; OLV_TEST_CLASS=Name limits the run to one class, and the
// command-line arguments (test function names, -v2, ...) go to each class as with QTEST_MAIN.
int main(int argc, char** argv) {
#ifdef OLV_TEST_GUI
    QApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    auto& classes = olv::testing::registered_test_classes();
    std::sort(classes.begin(), classes.end(),
              [](const auto& a, const auto& b) { return std::strcmp(a.name, b.name) < 0; });
    const char* only = std::getenv("OLV_TEST_CLASS");
    int failed = 0;
    int ran = 0;
    for (const auto& entry : classes) {
        if (only && *only && std::strcmp(only, entry.name) != 0)
            continue;
        auto object = entry.make();
        failed += QTest::qExec(object.get(), argc, argv) != 0 ? 1 : 0;
        ++ran;
    }
    std::printf("%d test classes run, %d failed\n", ran, failed);
    return failed == 0 && ran > 0 ? 0 : 1;
}
