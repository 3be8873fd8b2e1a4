# Every third-party library the project builds on, found once for all targets.
find_package(PkgConfig REQUIRED)
find_package(ICU 72 REQUIRED COMPONENTS uc i18n data)
find_package(LibXml2 REQUIRED)
find_package(CURL REQUIRED)
find_package(Threads REQUIRED)
pkg_check_modules(GIO REQUIRED IMPORTED_TARGET gio-2.0 gio-unix-2.0 glib-2.0)
find_package(Qt6 6.2 REQUIRED COMPONENTS Core Gui Widgets UiTools Test)
find_program(MSGFMT_EXECUTABLE msgfmt REQUIRED)
