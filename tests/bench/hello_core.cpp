// The least a Qt Core program pays to start, print one line and exit: what
// `kelvo --version` is timed against.

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    std::puts("hello");
    return 0;
}
