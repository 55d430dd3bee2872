Creator "seed"
graph [
  directed 0
  node [ id 1 name "one" x 1 y 2 z 3 ]
  node [ id 2 label "caf&#233;" graphics [ x 0 y 0 w 10 ] ]
  edge [ source 1 target 2 weight 4 extra [ a 1 ] ]
  edge [ source 2 target 1 weight .5 ]
]
