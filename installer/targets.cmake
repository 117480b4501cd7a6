# What a release ships for one Windows architecture, under build/<tree>/release/:
# the module without its debug sections, those sections in a file of their own that
# the module names (.gnu_debuglink) and shares a build id with, and the installer
# package. build/<tree>/installer-test/ holds an older release's package for the
# upgrade test, made from the same source with a lower version.
if(NOT WIN32)
  return()
endif()
find_program(VL_WIXL wixl REQUIRED)
find_program(VL_MSIINFO msiinfo REQUIRED)
find_program(VL_MSIBUILD msibuild REQUIRED)
find_program(VL_OBJCOPY NAMES ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32-objcopy REQUIRED)
find_program(VL_OBJDUMP_RELEASE NAMES ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32-objdump REQUIRED)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(VL_RELEASE_DIR ${CMAKE_BINARY_DIR}/release)
set(VL_RELEASE_DLL ${VL_RELEASE_DIR}/npvellarion.dll)
set(VL_RELEASE_DEBUG ${VL_RELEASE_DIR}/npvellarion.dll.debug)
add_custom_command(
  OUTPUT ${VL_RELEASE_DLL} ${VL_RELEASE_DEBUG}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VL_RELEASE_DIR}
  COMMAND ${VL_OBJCOPY} --only-keep-debug $<TARGET_FILE:npvellarion> ${VL_RELEASE_DEBUG}
  # The link names the debug file by its base name and a checksum of it.
  COMMAND ${VL_OBJCOPY} --strip-debug --add-gnu-debuglink=${VL_RELEASE_DEBUG}
          $<TARGET_FILE:npvellarion> ${VL_RELEASE_DLL}
  DEPENDS npvellarion
  COMMENT "Splitting the debug sections off npvellarion.dll")

# The package's registry values come from the module's own version block, so that
# the types a browser learns from the registry are those the module declares.
file(READ ${CMAKE_SOURCE_DIR}/resources/npvellarion.rc VL_RC_TEXT)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/npvellarion.rc)
function(vl_rc_value name out)
  if(NOT VL_RC_TEXT MATCHES "VALUE \"${name}\", \"([^\"]*)\"")
    message(FATAL_ERROR "resources/npvellarion.rc has no ${name} string")
  endif()
  set(${out} "${CMAKE_MATCH_1}" PARENT_SCOPE)
endfunction()
vl_rc_value(ProductName VL_PRODUCT_NAME)
vl_rc_value(CompanyName VL_VENDOR)
vl_rc_value(FileDescription VL_DESCRIPTION)
vl_rc_value(MIMEType VL_MIME_LIST)
vl_rc_value(FileExtents VL_EXTENT_LIST)
vl_rc_value(FileOpenName VL_OPEN_NAME_LIST)
string(REPLACE "|" ";" VL_MIMES "${VL_MIME_LIST}")
string(REPLACE "|" ";" VL_EXTENTS "${VL_EXTENT_LIST}")
string(REPLACE "|" ";" VL_OPEN_NAMES "${VL_OPEN_NAME_LIST}")
set(VL_SETTINGS_KEY "SOFTWARE\\${VL_VENDOR}\\${VL_PRODUCT_NAME}")

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(VL_MSI_ARCH x64)
  set(VL_ARCH_NAME "64-bit")
  set(VL_PROGRAM_FILES ProgramFiles64Folder)
  set(VL_SYSTEM_FOLDER System64Folder)
  set(VL_WIN64 yes)
  set(VL_UPGRADE_CODE C8BD98E9-7415-46A4-BAEF-6B44F846904D)
else()
  set(VL_MSI_ARCH x86)
  set(VL_ARCH_NAME "32-bit")
  set(VL_PROGRAM_FILES ProgramFilesFolder)
  set(VL_SYSTEM_FOLDER SystemFolder)
  set(VL_WIN64 no)
  set(VL_UPGRADE_CODE 4E57EB5C-2723-4134-9745-F53166E2FFA3)
endif()
# The two architectures are separate products that a 64-bit machine may hold side by
# side (one for each kind of browser). HKLM keeps them apart by registry view, but a
# per-user install of both writes to the one shared HKCU\SOFTWARE, so each has its own id.
set(VL_PLUGIN_ID "@zeb/${VL_PRODUCT_NAME}-${VL_MSI_ARCH}")
# Codes that must stay the same from release to release are derived from the
# upgrade code; a release's product code from that code and its version.
foreach(part MODULE MACHINE USER)
  string(UUID VL_GUID_${part} NAMESPACE ${VL_UPGRADE_CODE} NAME "component ${part}" TYPE SHA1 UPPER)
endforeach()

function(vl_wxs_registry root out)
  set(key "SOFTWARE\\MozillaPlugins\\${VL_PLUGIN_ID}")
  set(x "            <RegistryKey Root=\"${root}\" Key=\"${key}\">\n")
  string(APPEND x "              <RegistryValue Name=\"Path\" Type=\"string\" Value=\"[#ModuleFile]\"")
  string(APPEND x " KeyPath=\"yes\" />\n")
  foreach(pair "Description;${VL_DESCRIPTION}" "ProductName;${VL_PRODUCT_NAME}" "Vendor;${VL_VENDOR}"
               "Version;$(var.Version)")
    list(GET pair 0 name)
    list(GET pair 1 value)
    string(APPEND x "              <RegistryValue Name=\"${name}\" Type=\"string\" Value=\"${value}\" />\n")
  endforeach()
  string(APPEND x "            </RegistryKey>\n")
  list(LENGTH VL_MIMES count)
  math(EXPR last "${count} - 1")
  foreach(i RANGE ${last})
    list(GET VL_MIMES ${i} mime)
    list(GET VL_EXTENTS ${i} suffixes)
    list(GET VL_OPEN_NAMES ${i} open_name)
    string(REGEX REPLACE " \\(.*" "" description "${open_name}")
    string(APPEND x "            <RegistryKey Root=\"${root}\" Key=\"${key}\\MimeTypes\\${mime}\">\n")
    string(APPEND x "              <RegistryValue Name=\"Suffixes\" Type=\"string\" Value=\"${suffixes}\" />\n")
    string(APPEND x "              <RegistryValue Name=\"Description\" Type=\"string\" Value=\"${description}\" />\n")
    string(APPEND x "            </RegistryKey>\n")
  endforeach()
  set(${out} "${x}" PARENT_SCOPE)
endfunction()
vl_wxs_registry(HKLM VL_WXS_REGISTRY_HKLM)
vl_wxs_registry(HKCU VL_WXS_REGISTRY_HKCU)
set(VL_WXS ${CMAKE_BINARY_DIR}/vellarion.wxs)
configure_file(${CMAKE_CURRENT_LIST_DIR}/vellarion.wxs.in ${VL_WXS} @ONLY)

# The lowest version Windows Installer counts as newer than this one (it reads three
# fields), and an older release for the upgrade test: the last non-zero field less one.
set(VL_V ${PROJECT_VERSION_MAJOR} ${PROJECT_VERSION_MINOR} ${PROJECT_VERSION_PATCH} ${PROJECT_VERSION_TWEAK})
math(EXPR next_patch "${PROJECT_VERSION_PATCH} + 1")
set(VL_NEXT_THIRD "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${next_patch}")
set(older ${VL_V})
foreach(i 3 2 1 0)
  list(GET older ${i} field)
  if(field GREATER 0)
    math(EXPR field "${field} - 1")
    list(REMOVE_AT older ${i})
    list(INSERT older ${i} ${field})
    break()
  endif()
endforeach()
list(JOIN older "." VL_OLDER_VERSION)

function(vl_msi out version)
  string(UUID code NAMESPACE ${VL_UPGRADE_CODE} NAME "product ${version}" TYPE SHA1 UPPER)
  get_filename_component(dir ${out} DIRECTORY)
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/make_msi.py ${VL_WIXL} ${VL_MSIINFO}
            ${VL_MSIBUILD} ${VL_WXS} ${out} -a ${VL_MSI_ARCH} -D Version=${version} -D ProductCode=${code}
            -D NextThird=${VL_NEXT_THIRD} -D Module=npvellarion.dll
    # wixl finds files only by paths relative to where it runs.
    WORKING_DIRECTORY ${VL_RELEASE_DIR}
    DEPENDS ${VL_WXS} ${VL_RELEASE_DLL} ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/make_msi.py
    COMMENT "Making ${out}")
endfunction()
set(VL_MSI ${VL_RELEASE_DIR}/vellarion-${VL_VERSION}-${VL_MSI_ARCH}.msi)
set(VL_OLDER_MSI ${CMAKE_BINARY_DIR}/installer-test/vellarion-${VL_OLDER_VERSION}-${VL_MSI_ARCH}.msi)
vl_msi(${VL_MSI} ${VL_VERSION})
vl_msi(${VL_OLDER_MSI} ${VL_OLDER_VERSION})
add_custom_target(release ALL DEPENDS ${VL_RELEASE_DLL} ${VL_RELEASE_DEBUG} ${VL_MSI} ${VL_OLDER_MSI})

# The release files, read without running them; then the package installed,
# upgraded, used and removed under Wine.
add_test(NAME installer.release_files
         COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/check_release.py ${VL_OBJDUMP_RELEASE} ${VL_OBJCOPY}
                 ${VL_MSIINFO} $<TARGET_FILE:npvellarion> ${VL_RELEASE_DIR} ${VL_VERSION})
if(CMAKE_CROSSCOMPILING_EMULATOR)
  add_test(NAME installer.install_upgrade_uninstall
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/installer_test.py ${CMAKE_CROSSCOMPILING_EMULATOR}
                   $<TARGET_FILE:vlhost> ${CMAKE_SOURCE_DIR}/vlhost/tests/run_case.py ${CMAKE_SOURCE_DIR}
                   ${VL_MSI} ${VL_OLDER_MSI} ${VL_VERSION})
  set_tests_properties(installer.install_upgrade_uninstall PROPERTIES TIMEOUT 300 RESOURCE_LOCK wineglobal)
endif()
