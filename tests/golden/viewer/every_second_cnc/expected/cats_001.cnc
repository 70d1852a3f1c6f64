2    a walking cat ran away                                                                   A.TXT        00001
1    old Tom's cat Sat down                                                                   C.TXT        00003
