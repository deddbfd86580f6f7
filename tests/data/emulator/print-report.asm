; A boot sector that prints report.prn on LPT1 through the BIOS printer service, as a DOS
; program does, then leaves the emulator: QEMU through its debug-exit port, Bochs through
; its shutdown port. nasm -f bin -i FOLDER/ print-report.asm, with report.prn in FOLDER.
bits 16
org 0x7c00

start:
    cli
    xor ax, ax
    mov ds, ax
    mov ss, ax
    mov sp, 0x7c00
    sti
    ; Until the port is initialised, some BIOSes answer every character with a time-out.
    mov ah, 0x01
    xor dx, dx
    int 0x17
    mov si, report
    mov cx, report_end - report
print:
    mov al, [si]
    mov ah, 0x00
    xor dx, dx
    int 0x17
    inc si
    loop print

    mov al, 0
    out 0xf4, al
    mov dx, 0x8900
    mov si, shutdown
leave:
    lodsb
    or al, al
    jz halt
    out dx, al
    jmp leave
halt:
    hlt
    jmp halt

shutdown: db "Shutdown", 0
report: incbin "report.prn"
report_end:

times 510 - ($ - $$) db 0
dw 0xAA55
