[playlist]
NumberOfEntries=3
File1=http://a.example:8000/
Title1=First 	station
Length1=-1
File2=live.mp3
file3=mms://b.example/
Version=2
