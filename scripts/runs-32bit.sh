#!/usr/bin/env bash
# Exits with 0 when this machine runs 32-bit x86 Linux programs. wine runs 32-bit
# Windows programs with a 32-bit Linux program of its own, so without this it runs
# only 64-bit ones: some kernels are built without 32-bit support or start with it
# switched off. The probe is the smallest such program, made with binutils.
set -euo pipefail
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
printf '.globl _start\n_start:\n movl $1, %%eax\n xorl %%ebx, %%ebx\n int $0x80\n' >"$dir/exit.s"
as --32 -o "$dir/exit.o" "$dir/exit.s" 2>/dev/null
ld -m elf_i386 -o "$dir/exit" "$dir/exit.o" 2>/dev/null
"$dir/exit" 2>/dev/null
