[Information]
Name=x
[Captions]
0=Sep
[Items]
0=[SEPARATOR] [LINE] [FILENAME]
1=[DATE