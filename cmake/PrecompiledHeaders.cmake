# Precompiled headers: the Qt, standard-library and GoogleTest headers that nearly every source
# includes are parsed once per kind of target instead of once per source. Project headers stay
# out, so that editing one never rebuilds them.
option(NIMBREL_PRECOMPILED_HEADERS "Precompile the common Qt, standard and GoogleTest headers" ON)

set(NIMBREL_PCH_CORE
    <QByteArray> <QDir> <QFile> <QFileInfo> <QHash> <QJsonArray> <QJsonDocument> <QJsonObject> <QList> <QMap>
    <QSet> <QString> <QStringList> <QUrl> <QVariant> <QVariantMap>
    <algorithm> <array> <cmath> <cstdint> <functional> <map> <memory> <optional> <set> <string> <utility> <vector>)
set(NIMBREL_PCH_TEST ${NIMBREL_PCH_CORE} <QTemporaryDir> <gtest/gtest.h>)
set(NIMBREL_PCH_UI ${NIMBREL_PCH_CORE} <QObject> <QQmlEngine> <QQuickItem> <QQuickWindow>)

if(NIMBREL_PRECOMPILED_HEADERS AND CMAKE_CXX_COMPILER_LAUNCHER MATCHES "ccache")
  # ccache caches sources compiled against a precompiled header only with these allowances.
  set(CMAKE_CXX_COMPILER_LAUNCHER ${CMAKE_COMMAND} -E env CCACHE_SLOPPINESS=pch_defines,time_macros
                                  ${CMAKE_CXX_COMPILER_LAUNCHER})
  add_compile_options(-fpch-preprocess)
endif()

# nimbrel_precompile_headers(<target> CORE|TEST|UI): the first target of a kind builds the
# headers; later targets of that kind, compiled with the same options, reuse them.
function(nimbrel_precompile_headers target kind)
  if(NOT NIMBREL_PRECOMPILED_HEADERS)
    return()
  endif()
  get_property(_owner GLOBAL PROPERTY NIMBREL_PCH_OWNER_${kind})
  if(_owner)
    target_precompile_headers(${target} REUSE_FROM ${_owner})
  else()
    target_precompile_headers(${target} PRIVATE ${NIMBREL_PCH_${kind}})
    set_property(GLOBAL PROPERTY NIMBREL_PCH_OWNER_${kind} ${target})
  endif()
endfunction()
