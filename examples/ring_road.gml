Creator "written by hand for the workbench"
Version 1
# A one-way ring road with two shortcuts: six junctions, lanes as
# capacities (vehicles per minute), places from the drawing.
graph [
  directed 1
  label "ring road"
  node [ id 1 label "North Gate" graphics [ x 0 y 100 ] ]
  node [ id 2 label "Mill" graphics [ x 87 y 50 ] ]
  node [ id 3 label "Quay" graphics [ x 87 y -50 ] ]
  node [ id 4 label "South Gate" graphics [ x 0 y -100 ] ]
  node [ id 5 label "Market" graphics [ x -87 y -50 ] ]
  node [ id 6 label "Chapel" graphics [ x -87 y 50 ] ]
  edge [ source 1 target 2 capacity 30 ]
  edge [ source 2 target 3 capacity 30 ]
  edge [ source 3 target 4 capacity 20 ]
  edge [ source 4 target 5 capacity 30 ]
  edge [ source 5 target 6 capacity 30 ]
  edge [ source 6 target 1 capacity 20 ]
  edge [ source 1 target 4 capacity 12.5 ]
  edge [ source 4 target 1 capacity 12.5 ]
  edge [ source 2 target 5 capacity 8 ]
  edge [ source 2 target 5 capacity 4 ]
]
