// A bare Qt window program: the start-up and memory baseline for the coach.
#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.resize(868, 254);
    window.show();
    return app.exec();
}
