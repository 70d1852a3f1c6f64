       Word/type       Frequency    %    norm
1     le                  3     25.0000% 250.0 per 1k 
2     et                  2     16.6667% 166.7 per 1k 
