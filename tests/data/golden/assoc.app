body
OTHER head
SELECTED head
