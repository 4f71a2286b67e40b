[Main]
Header=JOTE
[Receiver VR]
Item=!!VR$1$:S$2$;
; remark
