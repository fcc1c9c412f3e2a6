#!/usr/bin/env bash
# Exits 0 when this machine runs 32-bit (i386) Linux programs. Some machines
# of this kind boot with 32-bit emulation off; asking the kernel is the only
# reliable test: assemble a three-instruction i386 program and run it.
set -u
command -v as >/dev/null 2>&1 && command -v ld >/dev/null 2>&1 || exit 1
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
printf '.globl _start\n_start:\n movl $1, %%eax\n movl $42, %%ebx\n int $0x80\n' >"$dir/p.s"
as --32 -o "$dir/p.o" "$dir/p.s" 2>/dev/null && ld -m elf_i386 -o "$dir/p" "$dir/p.o" 2>/dev/null || exit 1
"$dir/p" 2>/dev/null
[ $? -eq 42 ]
