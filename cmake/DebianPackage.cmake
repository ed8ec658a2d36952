# keldarin-cli as a Debian package: the program, its manual page made from its own --help (and
# each command's, which hold the options), and the copyright and changelog files that Debian's
# policy asks for.
find_program(HELP2MAN help2man REQUIRED)
set(keldarin_man ${CMAKE_BINARY_DIR}/keldarin-cli.1)
set(keldarin_commands ${CMAKE_BINARY_DIR}/keldarin-cli-commands.h2m)
add_custom_command(
    OUTPUT ${keldarin_man}.gz
    COMMAND sh -c "{ echo '[COMMANDS]'; echo '.nf'; \"$0\" info --help; echo; \"$0\" convert --help; echo; \"$0\" check --help; echo '.fi'; } >\"$1\""
            $<TARGET_FILE:keldarin-cli> ${keldarin_commands}
    COMMAND ${HELP2MAN} --no-info --section=1 --name=${CPACK_PACKAGE_DESCRIPTION_SUMMARY}
            --include=${keldarin_commands} --output=${keldarin_man} $<TARGET_FILE:keldarin-cli>
    COMMAND gzip -9nf ${keldarin_man}
    DEPENDS keldarin-cli
    COMMENT "Manual page keldarin-cli(1) from keldarin-cli --help"
    VERBATIM)
add_custom_target(keldarin-cli-man ALL DEPENDS ${keldarin_man}.gz)

configure_file(docs/changelog.Debian.in ${CMAKE_BINARY_DIR}/changelog @ONLY)
add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/changelog.gz
    COMMAND gzip -9nkf ${CMAKE_BINARY_DIR}/changelog
    DEPENDS ${CMAKE_BINARY_DIR}/changelog)
add_custom_target(keldarin-cli-changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/changelog.gz)

install(TARGETS keldarin-cli RUNTIME DESTINATION bin)
install(FILES ${keldarin_man}.gz DESTINATION share/man/man1)
install(FILES docs/copyright ${CMAKE_BINARY_DIR}/changelog.gz
        DESTINATION share/doc/keldarin-cli)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME keldarin-cli)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Keldarin developers <keldarin@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded only at the first digest, so not among the libraries dpkg-shlibdeps finds.
set(CPACK_DEBIAN_PACKAGE_DEPENDS libssl3)
# CPack puts the summary in front as the synopsis line.
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "keldarin-cli converts 8 MiB flash images between the hardware variants\n"
    "1x and 2x: it replaces the boot-loader area of each image with the\n"
    "boot-loader file of the other variant and writes the result beside it,\n"
    "whole or not at all.")
