; blinky: toggles P1.0 (the LED) about twice a second, plays a sine-shaped
; brightness pattern on port 2 and greets over the UART at 9600 baud.
; 8051 core, 11.0592 MHz crystal. blinky.hex is this program, assembled.
;
; addr  bytes      source

                   ORG   0000h
0000  02 00 33           LJMP  start

                   ORG   0033h          ; after the interrupt vectors
0033  75 81 5F   start:  MOV   SP,#5Fh          ; stack above the register banks
0036  75 89 20           MOV   TMOD,#20h        ; timer 1: 8-bit auto-reload
0039  75 8D FD           MOV   TH1,#0FDh        ; 9600 baud at 11.0592 MHz
003C  75 98 50           MOV   SCON,#50h        ; UART mode 1, receiver on
003F  D2 8E              SETB  TR1
0041  90 00 78           MOV   DPTR,#banner
0044  12 00 69           LCALL puts
0047  7F 00              MOV   R7,#0            ; position in the wave
0049  B2 90      loop:   CPL   P1.0             ; the LED
004B  EF                 MOV   A,R7
004C  90 00 88           MOV   DPTR,#wave
004F  93                 MOVC  A,@A+DPTR
0050  90 01 88           MOV   DPTR,#gamma
0053  93                 MOVC  A,@A+DPTR
0054  F5 A0              MOV   P2,A             ; brightness pattern on port 2
0056  0F                 INC   R7
0057  12 00 5C           LCALL delay
005A  80 ED              SJMP  loop
005C  7A 02      delay:  MOV   R2,#2            ; 2 x 256 x 256 x 2 cycles: about 0.28 s
005E  79 00      d1:     MOV   R1,#0
0060  78 00      d2:     MOV   R0,#0
0062  D8 FE      d3:     DJNZ  R0,d3
0064  D9 FA              DJNZ  R1,d2
0066  DA F6              DJNZ  R2,d1
0068  22                 RET
0069  E4         puts:   CLR   A                ; sends the zero-ended text at DPTR
006A  93                 MOVC  A,@A+DPTR
006B  60 0A              JZ    done
006D  F5 99              MOV   SBUF,A
006F  30 99 FD   wait:   JNB   TI,wait
0072  C2 99              CLR   TI
0074  A3                 INC   DPTR
0075  80 F2              SJMP  puts
0077  22         done:   RET
0078             banner: DB    "Tovrel blinky",0Dh,0Ah,0
0088             wave:   ; one period of a sine, 256 steps
0088                     DB    080h,083h,086h,089h,08Ch,08Fh,092h,095h,098h,09Bh,09Eh,0A2h,0A5h,0A7h,0AAh,0ADh
0098                     DB    0B0h,0B3h,0B6h,0B9h,0BCh,0BEh,0C1h,0C4h,0C6h,0C9h,0CBh,0CEh,0D0h,0D3h,0D5h,0D7h
00A8                     DB    0DAh,0DCh,0DEh,0E0h,0E2h,0E4h,0E6h,0E8h,0EAh,0EBh,0EDh,0EEh,0F0h,0F1h,0F3h,0F4h
00B8                     DB    0F5h,0F6h,0F8h,0F9h,0FAh,0FAh,0FBh,0FCh,0FDh,0FDh,0FEh,0FEh,0FEh,0FFh,0FFh,0FFh
00C8                     DB    0FFh,0FFh,0FFh,0FFh,0FEh,0FEh,0FEh,0FDh,0FDh,0FCh,0FBh,0FAh,0FAh,0F9h,0F8h,0F6h
00D8                     DB    0F5h,0F4h,0F3h,0F1h,0F0h,0EEh,0EDh,0EBh,0EAh,0E8h,0E6h,0E4h,0E2h,0E0h,0DEh,0DCh
00E8                     DB    0DAh,0D7h,0D5h,0D3h,0D0h,0CEh,0CBh,0C9h,0C6h,0C4h,0C1h,0BEh,0BCh,0B9h,0B6h,0B3h
00F8                     DB    0B0h,0ADh,0AAh,0A7h,0A5h,0A2h,09Eh,09Bh,098h,095h,092h,08Fh,08Ch,089h,086h,083h
0108                     DB    080h,07Ch,079h,076h,073h,070h,06Dh,06Ah,067h,064h,061h,05Dh,05Ah,058h,055h,052h
0118                     DB    04Fh,04Ch,049h,046h,043h,041h,03Eh,03Bh,039h,036h,034h,031h,02Fh,02Ch,02Ah,028h
0128                     DB    025h,023h,021h,01Fh,01Dh,01Bh,019h,017h,015h,014h,012h,011h,00Fh,00Eh,00Ch,00Bh
0138                     DB    00Ah,009h,007h,006h,005h,005h,004h,003h,002h,002h,001h,001h,001h,000h,000h,000h
0148                     DB    000h,000h,000h,000h,001h,001h,001h,002h,002h,003h,004h,005h,005h,006h,007h,009h
0158                     DB    00Ah,00Bh,00Ch,00Eh,00Fh,011h,012h,014h,015h,017h,019h,01Bh,01Dh,01Fh,021h,023h
0168                     DB    025h,028h,02Ah,02Ch,02Fh,031h,034h,036h,039h,03Bh,03Eh,041h,043h,046h,049h,04Ch
0178                     DB    04Fh,052h,055h,058h,05Ah,05Dh,061h,064h,067h,06Ah,06Dh,070h,073h,076h,079h,07Ch
0188             gamma:  ; brightness correction, x^2.2
0188                     DB    000h,000h,000h,000h,000h,000h,000h,000h,000h,000h,000h,000h,000h,000h,000h,001h
0198                     DB    001h,001h,001h,001h,001h,001h,001h,001h,001h,002h,002h,002h,002h,002h,002h,002h
01A8                     DB    003h,003h,003h,003h,003h,004h,004h,004h,004h,005h,005h,005h,005h,006h,006h,006h
01B8                     DB    006h,007h,007h,007h,008h,008h,008h,009h,009h,009h,00Ah,00Ah,00Bh,00Bh,00Bh,00Ch
01C8                     DB    00Ch,00Dh,00Dh,00Dh,00Eh,00Eh,00Fh,00Fh,010h,010h,011h,011h,012h,012h,013h,013h
01D8                     DB    014h,014h,015h,016h,016h,017h,017h,018h,019h,019h,01Ah,01Ah,01Bh,01Ch,01Ch,01Dh
01E8                     DB    01Eh,01Eh,01Fh,020h,021h,021h,022h,023h,023h,024h,025h,026h,027h,027h,028h,029h
01F8                     DB    02Ah,02Bh,02Bh,02Ch,02Dh,02Eh,02Fh,030h,031h,031h,032h,033h,034h,035h,036h,037h
0208                     DB    038h,039h,03Ah,03Bh,03Ch,03Dh,03Eh,03Fh,040h,041h,042h,043h,044h,045h,046h,047h
0218                     DB    049h,04Ah,04Bh,04Ch,04Dh,04Eh,04Fh,051h,052h,053h,054h,055h,057h,058h,059h,05Ah
0228                     DB    05Bh,05Dh,05Eh,05Fh,061h,062h,063h,064h,066h,067h,069h,06Ah,06Bh,06Dh,06Eh,06Fh
0238                     DB    071h,072h,074h,075h,077h,078h,079h,07Bh,07Ch,07Eh,07Fh,081h,082h,084h,085h,087h
0248                     DB    089h,08Ah,08Ch,08Dh,08Fh,091h,092h,094h,095h,097h,099h,09Ah,09Ch,09Eh,09Fh,0A1h
0258                     DB    0A3h,0A5h,0A6h,0A8h,0AAh,0ACh,0ADh,0AFh,0B1h,0B3h,0B5h,0B6h,0B8h,0BAh,0BCh,0BEh
0268                     DB    0C0h,0C2h,0C4h,0C5h,0C7h,0C9h,0CBh,0CDh,0CFh,0D1h,0D3h,0D5h,0D7h,0D9h,0DBh,0DDh
0278                     DB    0DFh,0E1h,0E3h,0E5h,0E7h,0EAh,0ECh,0EEh,0F0h,0F2h,0F4h,0F6h,0F8h,0FBh,0FDh,0FFh

; wave[i]  = round(127.5 + 127.5 * sin(2 pi i / 256)), i = 0 .. 255
; gamma[i] = round(255 * (i / 255) ^ 2.2),            i = 0 .. 255
                   END
