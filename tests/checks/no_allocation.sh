#!/usr/bin/env bash
# no_allocation.sh LIBRARY [NM] -- the program's library takes memory only through the
# platform's allocate_memory and release_memory: none of its objects refers to the C
# library's allocator, operator new or delete, functions that return memory the caller must
# free, or the C++ library's compiled code (std::string, containers' growth, exceptions),
# which takes its memory from operator new. Each offending symbol is listed with the object
# that refers to it.
#
# Only undefined references are looked at, by exact name: the sanitizers' own entry points
# (__asan_*, __ubsan_*, __sanitizer_*) and gcov's (__gcov_*) never match, so the check runs
# unchanged in the plain, sanitizer and coverage builds.
set -euo pipefail
library=${1:?usage: no_allocation.sh LIBRARY [NM]}
nm_tool=${2:-nm}
[ -f "$library" ] || { echo "no_allocation.sh: no library at $library" >&2; exit 2; }

# Allocating functions of the C library, by exact name.
c_allocators='malloc|calloc|realloc|reallocarray|free|cfree|aligned_alloc|posix_memalign|memalign'
c_allocators+='|valloc|pvalloc|strdup|strndup|__strdup|__strndup|wcsdup|asprintf|vasprintf'
c_allocators+='|__asprintf_chk|__vasprintf_chk|getline|getdelim|__getdelim|open_memstream'
c_allocators+='|open_wmemstream|fopen|fopen64|fdopen|freopen|tmpfile|popen|opendir|fdopendir|scandir'
c_allocators+='|scandir64|realpath|canonicalize_file_name|tempnam|get_current_dir_name'
c_allocators+='|backtrace_symbols|mmap|mmap64|sbrk|brk'
c_allocators+='|__libc_malloc|__libc_calloc|__libc_realloc|__libc_free|__libc_memalign'
# The C++ runtime: operator new and delete in every form, thrown exceptions, demangling.
cxx_runtime='operator new.*|operator delete.*|__cxa_allocate_exception|__cxa_allocate_dependent_exception'
cxx_runtime+='|__cxa_throw|__cxa_demangle'
# Compiled C++ library code (std::string's members, vector's growth, streams, std::function):
# everything in std:: or __gnu_cxx:: that is not inline in the headers.
cxx_library='std::.*|__gnu_cxx::.*'

pattern="^(${c_allocators}|${cxx_runtime}|${cxx_library})$"

# "LIBRARY:OBJECT:                 U NAME": -A names the object on each line, -C demangles.
offending=$("$nm_tool" -A -C -u "$library" 2>/dev/null |
  sed -n 's/^[^:]*:\([^:]*\):[[:space:]]*U[[:space:]]\(.*\)$/\2	\1/p' |
  awk -F'\t' -v pattern="$pattern" '$1 ~ pattern' | sort -u)
# Mangled names too, so that a demangler that prints another spelling cannot hide one.
mangled=$("$nm_tool" -A -u "$library" 2>/dev/null |
  sed -n 's/^[^:]*:\([^:]*\):[[:space:]]*U[[:space:]]\(.*\)$/\2	\1/p' |
  awk -F'\t' '$1 ~ /^(_Znw|_Zna|_ZdlPv|_ZdaPv|_ZNSt|_ZNKSt|_ZSt|_ZN9__gnu_cxx)/' | sort -u)

count=$("$nm_tool" -A -u "$library" 2>/dev/null | grep -c ' U ' || true)
if [ "$count" -eq 0 ]; then
  echo "no_allocation.sh: $nm_tool lists no undefined symbols in $library; cannot check it" >&2
  exit 2
fi

if [ -n "$offending$mangled" ]; then
  echo "$(basename "$library") takes memory outside allocate_memory/release_memory:"
  { [ -n "$offending" ] && echo "$offending"; [ -n "$mangled" ] && echo "$mangled"; } |
    awk -F'\t' '{printf "  %-60s in %s\n", $1, $2}' | sort -u
  exit 1
fi
echo "$(basename "$library"): $count references checked; memory only through allocate_memory"
