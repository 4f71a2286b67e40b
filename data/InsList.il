[Information]
Description=Quillet starter list: script header, contacts, separators and a few KAS blocks
DateTime=10.12.2026 12:00:00
[Captions]
0=Script header with file name, date, time and version
1=Contacts of the Qal extension and of Quillet
2=Note with the current line number
3=Separator line - - -
4=Separator line * * *
5=Separator line / / /
6=Separator line = = =
7=Separator line # # #
8=Separator line + + +
9=Separator line : : :
10=Timer block with a message
11=Function called in a loop
12=Question to the player
[Items]
0=JOTE[_EOL_][_SEPAR4_][_EOL_]; Script: [_FILENAME_][_EOL_]; Written: [_CURDATE_] [_CURTIME_][_EOL_]; Editor: Quillet v. [_QuVER_][_EOL_][_SEPAR4_][_EOL_]
1=; Qal extension: [_QALMAIL1_][_EOL_]; Qal team: [_QALMAIL2_][_EOL_]; Home page: [_QALWWW1_][_EOL_]; More about Qal: [_QALWWW2_][_EOL_]; Quillet: [_QuAUTHOR_][_EOL_]
2=; checked at line [_LINE#_] on [_CURDATE_]
3=[_SEPAR1_][_EOL_]
4=[_SEPAR2_][_EOL_]
5=[_SEPAR3_][_EOL_]
6=[_SEPAR4_][_EOL_]
7=[_SEPAR5_][_EOL_]
8=[_SEPAR6_][_EOL_]
9=[_SEPAR7_][_EOL_]
10=!#TM1:S1/1/255/1;[_EOL_]!?TM1;[_EOL_]!!IF:M^Timer 1 fired^;[_EOL_]
11=!!DO1/1/10/1:P;[_EOL_]!?FU1;[_EOL_]!!VR1:+x16;[_EOL_]
12=!!IF:Q1^Go on?^;[_EOL_]!!FU2&1:P;[_EOL_]
