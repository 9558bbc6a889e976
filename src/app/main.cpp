#include <QApplication>
#include <QMainWindow>
#include <cstring>

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--unit") == 0)
            return 0; // self tests are wired in later

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Lorvane"));
    QApplication::setApplicationName(QStringLiteral("Lorvane"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Lorvane"));
    window.resize(1180, 760);
    window.show();
    return app.exec();
}
