// quorvel-icon-png IN.xpm OUT.png: an icon for the desktop's icon theme.
#include <QImage>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: quorvel-icon-png IN.xpm OUT.png\n");
    return 2;
  }
  QImage image(QString::fromLocal8Bit(argv[1]), "XPM");
  if (image.isNull() || !image.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
    std::fprintf(stderr, "quorvel-icon-png: cannot turn %s into %s\n", argv[1], argv[2]);
    return 1;
  }
  return 0;
}
